#include "StudentsDatabase.h"

#include "CaseFold.h"
#include "StudentLookup.h"

#include <algorithm>
#include <set>

namespace station {
namespace {

using Stage = StudentsReport::Stage;

std::string columnOf(const jet::Error& error) {
    const bool aboutAColumn = error.code() == jet::Error::Code::ColumnNotFound ||
                              error.code() == jet::Error::Code::ColumnWrongKind;
    return aboutAColumn ? error.subject() : std::string();
}

void readNumbers(jet::Recordset& records, StudentsReport& report) {
    report.count = records.recordCount();
    if (report.count < 1) return;
    std::set<std::string> seen;
    std::vector<std::string> numbers;
    records.moveFirst();
    for (; !records.isEof(); records.moveNext()) {
        const jet::FieldValue value = records.value(signin::studentColumns().front().name);
        const std::string& number = value.text;
        if (signin::isBlankEntry(number)) {
            ++report.blank;
            continue;
        }
        if (number.front() == ' ' || number.back() == ' ') report.padded.push_back(number);
        if (!seen.insert(cp1251::folded(number)).second) report.duplicates.push_back(number);
        numbers.push_back(number);
    }
    const std::vector<std::string_view> views(numbers.begin(), numbers.end());
    for (const classlist::DamagedNumber& d : classlist::findNumberDamage(views))
        report.damaged.push_back({numbers[d.index], d.damage});
}

}  // namespace

StudentsReport inspectStudents(const std::string& hostPath, const jet::Limits& limits) {
    StudentsReport report;
    jet::Database database(limits);
    jet::TableDef table(database);
    jet::Recordset records(database);
    Stage stage = Stage::Database;
    try {
        database.open(hostPath);
        stage = Stage::Table;
        table.open(kStudentsTable);
        stage = Stage::Columns;
        records.open(table, signin::studentColumns());
        stage = Stage::Rows;
        readNumbers(records, report);
    } catch (const jet::Error& error) {
        report.failedAt = stage;
        report.error = error;
        if (stage == Stage::Columns) report.badColumn = columnOf(error);
    }
    return report;
}

}  // namespace station
