#pragma once

#include "Jet.h"
#include "NumberDamage.h"
#include "StudentColumns.h"

#include <optional>
#include <string>
#include <vector>

// The students database as the sign-in reads it, through the program's own reader.
namespace station {

using signin::kStudentsTable;

struct StudentsReport {
    enum class Stage { Opened, Database, Table, Columns, Rows } failedAt = Stage::Opened;
    std::optional<jet::Error> error;  // why the stage failed
    std::string badColumn;  // Stage::Columns: the column missing or of a kind it cannot read
    int count = 0;
    // Record-book numbers (CP1251) of rows after the first with the same number, letters
    // folded as the sign-in folds them; only the first such row can ever sign in.
    std::vector<std::string> duplicates;
    // Numbers with blanks at either end: a typed number never has them.
    std::vector<std::string> padded;
    int blank = 0;  // rows whose number is empty or blanks only: nobody can type it
    // Numbers as a spreadsheet leaves them when it held them as numbers: the card's differ.
    struct Damaged {
        std::string number;
        classlist::NumberDamage damage;
    };
    std::vector<Damaged> damaged;

    bool ok() const { return failedAt == Stage::Opened; }
};

// Opens the file, the table, the columns and reads every record-book number, in the order the
// sign-in does; the first stage that fails ends the reading.
StudentsReport inspectStudents(const std::string& hostPath, const jet::Limits& limits = {});

}  // namespace station
