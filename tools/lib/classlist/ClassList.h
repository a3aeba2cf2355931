#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "CsvError.h"
#include "JetWriter.h"
#include "Message.h"
#include "TextEncoding.h"

namespace classlist {

// Table Students as the station reads it: StBook TEXT(50), StName TEXT(255), StNum TEXT(50),
// GrNum TEXT(100), StCount LONG, GrCount LONG. No rows.
jetwriter::Table studentsTable();

// Something the reader passed over or found doubtful; the list is still written.
struct ClassListNote {
    enum class Kind {
        ColumnPassedOver,  // a column the table has no place for
        ColumnMissing,     // a column the table has, left empty
        CountsMissing,     // no StCount, GrCount or neither: left empty, as lists usually are
        AboveHeader,       // a title or empty line above the header, passed over
        EmptyLine,         // a line of empty fields, passed over
        BlanksTrimmed,     // blanks around a record-book number, a name or a group, removed
        NoRecordBook,      // a student without a record-book number
        Duplicate,         // a record-book number already on an earlier line
        DamagedNumber,     // a record-book number as a spreadsheet changes numbers
        DigitsLost,        // a record-book number in exponent form: the student is not written
    };
    Kind kind;
    std::size_t line;
    std::size_t column;  // 0 when the whole line is meant
    std::string columnName;
    jetwriter::Message text;
    std::string student = {};  // the name on that line, where the note is about a student
};

struct ClassList {
    jetwriter::Table table;
    Encoding encoding = Encoding::Utf8;
    char separator = ',';
    std::vector<ClassListNote> notes;
};

// Students who cannot sign in: not written, without a number, or with one an earlier line has;
// one note each, in the order of the lines.
std::vector<ClassListNote> studentsLockedOut(const ClassList& list);

// Students who may not sign in with the number on their card, as the notes show them, apart
// from those locked out.
std::size_t studentsAtRisk(const ClassList& list);

// A cell of a class list as a CSV line or a sheet's row holds it, before it is read as a value.
struct ClassListCell {
    std::string text;      // UTF-8
    bool quoted = false;   // an empty quoted cell is an empty text, an empty bare one Null
    std::size_t line = 0;  // where the cell starts (quoted text may run over several lines)
};

struct ClassListRow {
    std::size_t line = 0;
    std::vector<ClassListCell> cells;
};

// Rows of text cells, one by one; a wholly empty line is no row.
class ClassListRows {
public:
    virtual ~ClassListRows() = default;
    virtual bool next(ClassListRow& row) = 0;
    // The file's column names once the header is known, for the messages of later rows.
    virtual void nameColumns(const std::vector<std::string>& names) { (void)names; }
};

// Whether a row is the header: it names a record-book column.
bool namesRecordBook(const std::vector<ClassListCell>& cells);

// What is the same whatever file the cells come from: the header found below any title lines
// (the first row with a record-book title, else the first row), the columns mapped by their
// titles, blanks trimmed, values checked, notes made. A student whose record-book number shows
// an exponent is not written: its digits are gone, and the rest of the class is still of use.
// Fills `list.table` and `list.notes`; throws CsvError for a row it cannot take, and when no
// student is left to write.
void readClassListRows(ClassListRows& rows, ClassList& list);

}  // namespace classlist
