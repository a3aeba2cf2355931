#include "WorkbookClassList.h"

#include <algorithm>
#include <cmath>

#include "ColumnTitles.h"
#include "CsvError.h"
#include "NumberDamage.h"
#include "NumberFormat.h"

namespace workbook {
namespace {

using jetwriter::Message;

constexpr std::size_t kStBook = 0;

std::string quotedList(const std::vector<std::string>& items) {
    std::string out;
    for (const std::string& s : items) out += (out.empty() ? "\"" : ", \"") + s + "\"";
    return out;
}

}  // namespace

ListSheet findListSheet(const Workbook& book) {
    std::vector<std::string> read;
    for (std::size_t s = 0; s < book.sheets.size(); ++s) {
        const Sheet& sheet = book.sheets[s];
        if (sheet.hidden) continue;
        read.push_back(sheet.name);
        for (std::size_t r = 0; r < sheet.rows.size(); ++r) {
            ListSheet found{s, r, {}};
            bool hasBook = false;
            for (const Cell& c : sheet.rows[r]) {
                const auto column =
                    c.kind == CellKind::Text ? classlist::columnForTitle(c.text) : std::nullopt;
                hasBook = hasBook || column == kStBook;
                found.columns.push_back(column);
            }
            if (hasBook) return found;
        }
    }
    std::vector<std::string> titles;
    for (const std::string_view t : classlist::titlesFor(kStBook)) titles.emplace_back(t);
    if (read.empty())
        throw WorkbookError({JW_TR("jetwriter", "the workbook has no sheet that is shown"), {}});
    throw WorkbookError(
        {JW_TR("jetwriter",
               "no sheet of the workbook has a record-book column: the class list's header row "
               "must give one column one of the titles %1 (sheets read: %2)"),
         {quotedList(titles), quotedList(read)}});
}

namespace {

// The digits of a whole number's whole part, however many.
std::size_t wholeDigits(double value) {
    return static_cast<std::size_t>(std::floor(std::log10(std::fabs(value)))) + 1;
}

// What is wrong with a cell of a column the list takes, or nothing.
std::optional<Message> problemOf(const Cell& cell, bool recordBook) {
    if (recordBook && cell.kind == CellKind::Date)
        return Message{JW_TR("jetwriter",
                             "a date (%1) where a record-book number belongs: the spreadsheet "
                             "took the number for a date and keeps no digits of it. Format the "
                             "column as text and type the number again"),
                       {cell.text}};
    if (recordBook && cell.kind == CellKind::Number && pastFifteenDigits(cell.number))
        return Message{JW_TR("jetwriter",
                             "a number of %1 digits where a record-book number belongs: a "
                             "spreadsheet keeps no more than 15 digits of a number, so this is no "
                             "number a record card holds. Format the column as text and type the "
                             "number again"),
                       {std::to_string(wholeDigits(cell.number))}};
    // A text that shows an exponent is no cell fault: the class-list rules leave that student
    // out, name the row and write the rest of the class.
    if (cell.kind == CellKind::Error)
        return Message{JW_TR("jetwriter",
                             "the formula's result is the error %1; correct the formula or type "
                             "the value"),
                       {cell.text}};
    if (cell.kind == CellKind::NoValue)
        return Message{JW_TR("jetwriter",
                             "a formula whose result the workbook does not keep; open the "
                             "workbook in the spreadsheet and save it again"),
                       {}};
    return std::nullopt;
}

}  // namespace

std::vector<CellProblem> unreadableCells(const Sheet& sheet, const ListSheet& list) {
    std::vector<CellProblem> out;
    for (std::size_t r = list.headerRow + 1; r < sheet.rows.size(); ++r) {
        const auto& row = sheet.rows[r];
        for (std::size_t c = 0; c < row.size() && c < list.columns.size(); ++c) {
            if (!list.columns[c]) continue;
            if (auto text = problemOf(row[c], *list.columns[c] == kStBook))
                out.push_back(
                    {r + 1, c + 1, cellPlace(sheet.name, r + 1, c + 1), std::move(*text)});
        }
    }
    return out;
}

void refuseUnreadableCells(const Sheet& sheet, const ListSheet& list) {
    const std::vector<CellProblem> problems = unreadableCells(sheet, list);
    if (!problems.empty()) throw WorkbookError(problems.front().place, problems.front().text);
}

std::vector<std::vector<std::string>> textRows(const Sheet& sheet) {
    std::vector<std::vector<std::string>> out;
    out.reserve(sheet.rows.size());
    for (const auto& row : sheet.rows) {
        auto& texts = out.emplace_back();
        texts.reserve(row.size());
        for (const Cell& c : row) texts.push_back(c.text);
    }
    return out;
}

jetwriter::Message rowPlace(const std::string& sheet, std::size_t row) {
    return {JW_TR("jetwriter", "sheet \"%1\", row %2"), {sheet, std::to_string(row)}};
}

namespace {

// A sheet's rows as the class-list rules read them: line numbers are the sheet's row numbers,
// a filled cell is quoted (so an empty text stays a text) and an empty one is bare (Null).
class SheetRows : public classlist::ClassListRows {
public:
    explicit SheetRows(const Sheet& sheet) : sheet_(sheet) {}

    bool next(classlist::ClassListRow& row) override {
        for (; next_ < sheet_.rows.size(); ++next_) {
            const auto& cells = sheet_.rows[next_];
            if (std::all_of(cells.begin(), cells.end(),
                            [](const Cell& c) { return c.kind == CellKind::Empty; }))
                continue;
            row.line = next_ + 1;
            row.cells.clear();
            for (const Cell& c : cells)
                row.cells.push_back({c.text, c.kind != CellKind::Empty, row.line});
            // A sheet keeps no empty cells at a row's end, where a CSV line has empty fields.
            if (row.cells.size() < width_) row.cells.resize(width_, {"", false, row.line});
            ++next_;
            return true;
        }
        return false;
    }

    void nameColumns(const std::vector<std::string>& names) override { width_ = names.size(); }

private:
    const Sheet& sheet_;
    std::size_t next_ = 0;
    std::size_t width_ = 0;
};

}  // namespace

classlist::ClassList readSheetClassList(const Sheet& sheet) {
    SheetRows rows(sheet);
    classlist::ClassList out;
    try {
        classlist::readClassListRows(rows, out);
    } catch (const classlist::CsvError& e) {
        throw WorkbookError(e.column() ? cellPlace(sheet.name, e.line(), e.column())
                                       : rowPlace(sheet.name, e.line()),
                            e.problemText());
    }
    return out;
}

classlist::ClassList readWorkbookClassList(std::string_view bytes, std::string& sheetName) {
    const Workbook book = readWorkbook(bytes);
    const ListSheet list = findListSheet(book);
    const Sheet& sheet = book.sheets[list.sheet];
    refuseUnreadableCells(sheet, list);
    sheetName = sheet.name;
    return readSheetClassList(sheet);
}

}  // namespace workbook
