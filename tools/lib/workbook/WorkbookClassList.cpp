#include "WorkbookClassList.h"

#include <algorithm>

#include "ColumnTitles.h"
#include "CsvError.h"

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
                    c.kind == CellKind::Text ? jetwriter::columnForTitle(c.text) : std::nullopt;
                hasBook = hasBook || column == kStBook;
                found.columns.push_back(column);
            }
            if (hasBook) return found;
        }
    }
    std::vector<std::string> titles;
    for (const std::string_view t : jetwriter::titlesFor(kStBook)) titles.emplace_back(t);
    if (read.empty())
        throw WorkbookError({JW_TR("jetwriter", "the workbook has no sheet that is shown"), {}});
    throw WorkbookError(
        {JW_TR("jetwriter",
               "no sheet of the workbook has a record-book column: the class list's header row "
               "must give one column one of the titles %1 (sheets read: %2)"),
         {quotedList(titles), quotedList(read)}});
}

void refuseUnreadableCells(const Sheet& sheet, const ListSheet& list) {
    for (std::size_t r = list.headerRow + 1; r < sheet.rows.size(); ++r) {
        const auto& row = sheet.rows[r];
        for (std::size_t c = 0; c < row.size() && c < list.columns.size(); ++c) {
            if (!list.columns[c]) continue;
            const Cell& cell = row[c];
            const Message place = cellPlace(sheet.name, r + 1, c + 1);
            if (cell.kind == CellKind::Date && *list.columns[c] == kStBook)
                throw WorkbookError(
                    place, {JW_TR("jetwriter",
                                  "a date (%1) where a record-book number belongs: the "
                                  "spreadsheet took the number for a date and keeps no digits "
                                  "of it. Format the column as text and type the number again"),
                            {cell.text}});
            if (cell.kind == CellKind::Error)
                throw WorkbookError(place, {JW_TR("jetwriter",
                                                  "the formula's result is the error %1; "
                                                  "correct the formula or type the value"),
                                            {cell.text}});
            if (cell.kind == CellKind::NoValue)
                throw WorkbookError(
                    place, {JW_TR("jetwriter",
                                  "a formula whose result the workbook does not keep; open the "
                                  "workbook in the spreadsheet and save it again"),
                            {}});
        }
    }
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

jetwriter::ClassList readSheetClassList(const Sheet& sheet, const ListSheet& list) {
    // The rows from the header on are given to the CSV rules as UTF-8 text, every filled cell
    // quoted, so no cell's text can be taken for a separator. rowOfLine[l] is the sheet row
    // (1-based) that starts on line l + 1 of the text; a cell with a line break spans lines, as a
    // quoted field does.
    std::string csv;
    std::vector<std::size_t> rowOfLine;
    const std::size_t width = list.columns.size();
    for (std::size_t r = list.headerRow; r < sheet.rows.size(); ++r) {
        const auto& row = sheet.rows[r];
        const auto filled = std::find_if(row.begin(), row.end(),
                                         [](const Cell& c) { return c.kind != CellKind::Empty; });
        std::size_t lines = 1;
        if (filled != row.end()) {
            for (std::size_t c = 0; c < std::max(row.size(), width); ++c) {
                if (c > 0) csv += ',';
                if (c >= row.size() || row[c].kind == CellKind::Empty) continue;
                const std::string& t = row[c].text;
                csv += '"';
                for (std::size_t i = 0; i < t.size(); ++i) {
                    if (t[i] == '"') csv += '"';
                    if (t[i] == '\n' || (t[i] == '\r' && !(i + 1 < t.size() && t[i + 1] == '\n')))
                        ++lines;
                    csv += t[i];
                }
                csv += '"';
            }
        }
        csv += '\n';
        rowOfLine.insert(rowOfLine.end(), lines, r + 1);
    }
    const auto rowOf = [&](std::size_t line) {
        return line >= 1 && line <= rowOfLine.size() ? rowOfLine[line - 1] : list.headerRow + 1;
    };
    jetwriter::ClassList out;
    try {
        out = jetwriter::readClassList(csv);
    } catch (const jetwriter::CsvError& e) {
        const std::size_t row = rowOf(e.line());
        throw WorkbookError(
            e.column() ? cellPlace(sheet.name, row, e.column()) : rowPlace(sheet.name, row),
            e.problemText());
    }
    for (jetwriter::ClassListNote& n : out.notes) {
        n.line = rowOf(n.line);
        // The earlier line a duplicate names is a line of the text too.
        if (n.kind == jetwriter::ClassListNote::Kind::Duplicate && n.text.args.size() > 1)
            n.text.args[1] = std::to_string(rowOf(std::stoul(n.text.args[1])));
    }
    return out;
}

jetwriter::ClassList readWorkbookClassList(std::string_view bytes, std::string& sheetName) {
    const Workbook book = readWorkbook(bytes);
    const ListSheet list = findListSheet(book);
    const Sheet& sheet = book.sheets[list.sheet];
    refuseUnreadableCells(sheet, list);
    sheetName = sheet.name;
    return readSheetClassList(sheet, list);
}

}  // namespace workbook
