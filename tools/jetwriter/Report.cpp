#include "Report.h"

#include <algorithm>
#include <map>

#include "Translate.h"
#include "Workbook.h"
#include "WorkbookClassList.h"

namespace jetwriter {
namespace {

using classlist::ClassList;
using classlist::ClassListNote;

// A long list with the same fault on every line still gives a report one can read.
constexpr std::size_t kLinesPerKind = 10;

using Kind = ClassListNote::Kind;

std::string separatorName(char c) {
    switch (c) {
        case ';': return translated(JW_TR("jetwriter", "semicolon"));
        case '\t': return translated(JW_TR("jetwriter", "tab"));
        default: return translated(JW_TR("jetwriter", "comma"));
    }
}

std::string noteLine(const ClassListNote& n, const std::string& sheet) {
    Message where;
    if (sheet.empty())
        where = classlist::CsvError(n.line, n.column, n.columnName, {}).where();
    else if (n.column == 0)
        where = workbook::rowPlace(sheet, n.line);
    else
        where = workbook::cellPlace(sheet, n.line, n.column);
    return "  " + translated(where) + ": " + translated(n.text) + "\n";
}

std::string section(const ClassList& list, const std::string& sheet,
                    std::initializer_list<Kind> kinds) {
    std::string out;
    std::map<Kind, std::size_t> shown;
    std::map<Kind, std::size_t> left;
    for (const ClassListNote& n : list.notes) {
        if (std::find(kinds.begin(), kinds.end(), n.kind) == kinds.end()) continue;
        if (shown[n.kind]++ < kLinesPerKind)
            out += noteLine(n, sheet);
        else
            ++left[n.kind];
    }
    for (const auto& [kind, count] : left)
        out += "  " +
               translatedCount(JW_TR_N("jetwriter", "... and %n more line(s) like these"), count) +
               "\n";
    return out;
}

std::size_t count(const ClassList& list, Kind kind) {
    return static_cast<std::size_t>(std::count_if(list.notes.begin(), list.notes.end(),
                                                  [&](const auto& n) { return n.kind == kind; }));
}

// Who cannot sign in, by line and name, so the technician can tell the instructor.
std::string lockedOutLine(const ClassList& list, const std::string& sheet) {
    const std::vector<ClassListNote> out = classlist::studentsLockedOut(list);
    if (out.empty()) return {};
    std::string which;
    for (std::size_t i = 0; i < out.size() && i < kLinesPerKind; ++i) {
        const Message place =
            sheet.empty() ? Message{JW_TR("jetwriter", "line %1"), {std::to_string(out[i].line)}}
                          : Message{JW_TR("jetwriter", "row %1"), {std::to_string(out[i].line)}};
        if (!which.empty()) which += ", ";
        which += out[i].student.empty() ? translated(place)
                                        : translated(JW_TR("jetwriter", "%1 (%2)"),
                                                     {translated(place), out[i].student});
    }
    if (out.size() > kLinesPerKind)
        which += translatedCount(JW_TR_N("jetwriter", " and %n more"), out.size() - kLinesPerKind);
    return translatedCount(JW_TR_N("jetwriter", "%n student(s) cannot sign in: %1."), out.size(),
                           {which}) +
           "\n";
}

}  // namespace

std::string classListReport(const ClassList& list, const std::string& csvPath,
                            const std::string& outPath, const std::string& sheet) {
    std::string out =
        translatedCount(JW_TR_N("jetwriter", "Wrote %n student(s) to \"%1\" (table Students)."),
                        list.table.rows.size(), {outPath}) +
        "\n" +
        (sheet.empty() ? translated(JW_TR("jetwriter",
                                          "Read the class list \"%1\": encoding %2, separator %3."),
                                    {csvPath, translated(encodingName(list.encoding)),
                                     separatorName(list.separator)})
                       : translated(JW_TR("jetwriter", "Read the workbook \"%1\": sheet \"%2\"."),
                                    {csvPath, sheet})) +
        "\n";
    // Lists seldom have the counts: no warning, one line.
    for (const ClassListNote& n : list.notes)
        if (n.kind == Kind::CountsMissing) out += translated(n.text) + "\n";
    const std::size_t columns = count(list, Kind::ColumnPassedOver);
    const std::size_t lines = count(list, Kind::EmptyLine) + count(list, Kind::AboveHeader);
    if (columns + lines > 0)
        out += translated(JW_TR("jetwriter", "Passed over: columns: %1, lines: %2."),
                          {std::to_string(columns), std::to_string(lines)}) +
               "\n" +
               section(list, sheet, {Kind::AboveHeader, Kind::ColumnPassedOver, Kind::EmptyLine});
    const std::string lost = section(list, sheet, {Kind::DigitsLost});
    if (!lost.empty())
        out += translated(JW_TR("jetwriter",
                                "Not written (their record-book numbers have lost "
                                "their digits):")) +
               "\n" + lost + "  " +
               translated(sheet.empty()
                              ? JW_TR("jetwriter",
                                      "Give the workbook (.xlsx, .ods, .xls) itself, or format "
                                      "the column as text in the spreadsheet, type these numbers "
                                      "again and save the list anew.")
                              : JW_TR("jetwriter",
                                      "These cells hold text that shows an exponent: type the "
                                      "numbers again into cells formatted as text.")) +
               "\n";
    const std::string check = section(list, sheet,
                                      {Kind::ColumnMissing, Kind::BlanksTrimmed, Kind::NoRecordBook,
                                       Kind::Duplicate, Kind::DamagedNumber});
    if (!check.empty())
        out +=
            translated(JW_TR("jetwriter", "To check (these students are written all the same):")) +
            "\n" + check;
    out += lockedOutLine(list, sheet);
    if (const std::size_t atRisk = classlist::studentsAtRisk(list))
        out += translatedCount(JW_TR_N("jetwriter",
                                       "%n student(s) may not be able to sign in with the number "
                                       "on their card."),
                               atRisk) +
               "\n";
    return out;
}

}  // namespace jetwriter
