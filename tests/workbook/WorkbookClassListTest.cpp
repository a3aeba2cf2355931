// Which sheet holds the class list, and the cells it cannot take.
#include <gtest/gtest.h>

#include "Workbook.h"
#include "WorkbookClassList.h"

using workbook::Cell;
using workbook::CellKind;
using workbook::Sheet;

namespace {

Cell text(const char* t) {
    return {CellKind::Text, t};
}

Sheet sheet(const char* name, std::vector<std::vector<Cell>> rows, bool hidden = false) {
    return {name, hidden, std::move(rows)};
}

TEST(WorkbookClassList, TheFirstShownSheetWithARecordBookColumnHoldsTheList) {
    workbook::Workbook book;
    book.sheets = {
        sheet("Титул", {{text("Автошкола")}, {text("ФИО"), text("Группа")}}),
        sheet("Старый", {{text("Зачетка"), text("ФИО")}}, true),
        sheet("Группа 1",
              {{text("Список группы ПДД-24/1")},
               {},
               {{}, text("ФИО"), text("№ зачётки"), text("Дата рождения"), text("Группа")}}),
        sheet("Группа 2", {{text("StBook")}}),
    };
    const workbook::ListSheet list = workbook::findListSheet(book);
    EXPECT_EQ(list.sheet, 2u);
    EXPECT_EQ(list.headerRow, 2u);
    const std::vector<std::optional<std::size_t>> columns = {std::nullopt, 1, 0, std::nullopt, 3};
    EXPECT_EQ(list.columns, columns);
}

TEST(WorkbookClassList, NoSheetWithARecordBookColumnNamesTheSheetsRead) {
    workbook::Workbook book;
    book.sheets = {sheet("Лист1", {{text("ФИО")}}), sheet("Скрытый", {{text("StBook")}}, true),
                   sheet("Лист2", {})};
    try {
        workbook::findListSheet(book);
        ADD_FAILURE() << "found";
    } catch (const workbook::WorkbookError& e) {
        const std::string what = e.what();
        EXPECT_NE(what.find("no sheet of the workbook has a record-book column"),
                  std::string::npos);
        EXPECT_NE(what.find("\"StBook\", \"Номер зачетки\""), std::string::npos) << what;
        EXPECT_NE(what.find("(sheets read: \"Лист1\", \"Лист2\")"), std::string::npos) << what;
    }
}

TEST(WorkbookClassList, CellsTheListCannotTakeAreNamed) {
    struct Row {
        const char* name;
        Cell cell;
        std::size_t column;   // 0-based: 0 name, 1 record book (header in row 5), 2 passed over
        const char* refused;  // part of the message, or nullptr when the cell is taken
    };
    const Row rows[] = {
        {"date in the record-book column",
         {CellKind::Date, "12.03.2024"},
         1,
         "sheet \"Группа 1\", cell B7: a date (12.03.2024) where a record-book number belongs"},
        {"error in the record-book column",
         {CellKind::Error, "#N/A"},
         1,
         "sheet \"Группа 1\", cell B7: the formula's result is the error #N/A"},
        {"error in the name column",
         {CellKind::Error, "#REF!"},
         0,
         "sheet \"Группа 1\", cell A7: the formula's result is the error #REF!"},
        {"formula without its result",
         {CellKind::NoValue, ""},
         0,
         "cell A7: a formula whose result the workbook does not keep"},
        {"date in a column passed over", {CellKind::Date, "01.02.2003"}, 2, nullptr},
        {"error in a column passed over", {CellKind::Error, "#DIV/0!"}, 2, nullptr},
        {"date in the name column", {CellKind::Date, "01.02.2003"}, 0, nullptr},
        {"number in the record-book column", {CellKind::Number, "00123", 123}, 1, nullptr},
        {"fifteen digits in the record-book column",
         {CellKind::Number, "999999999999999", 999999999999999},
         1,
         nullptr},
        {"sixteen digits in the record-book column",
         {CellKind::Number, "1E+15", 1e15},
         1,
         "cell B7: a number of 16 digits where a record-book number belongs"},
        {"sixteen digits in the name column", {CellKind::Number, "1E+15", 1e15}, 0, nullptr},
        // Left to the class-list rules, which leave that one student out.
        {"text showing an exponent in the record-book column", text("1.23457E+11"), 1, nullptr},
        {"text showing an exponent in the name column", text("1,23457E+11"), 0, nullptr},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        Sheet s = sheet("Группа 1", {{text("Список")},
                                     {},
                                     {},
                                     {},
                                     {text("ФИО"), text("Номер зачетки"), text("Примечание")},
                                     {text("Иванов"), text("1"), {}}});
        std::vector<Cell> row = {text("Петров"), text("2"), {}};
        row[r.column] = r.cell;
        s.rows.push_back(row);
        workbook::Workbook book;
        book.sheets = {s};
        const workbook::ListSheet list = workbook::findListSheet(book);
        if (!r.refused) {
            EXPECT_NO_THROW(workbook::refuseUnreadableCells(s, list));
            continue;
        }
        try {
            workbook::refuseUnreadableCells(s, list);
            ADD_FAILURE() << "taken";
        } catch (const workbook::WorkbookError& e) {
            EXPECT_NE(std::string(e.what()).find(r.refused), std::string::npos) << e.what();
        }
    }
}

// Every refused cell is told with its row, so a list can leave those students out.
TEST(WorkbookClassList, EachRefusedCellNamesItsRow) {
    const Sheet s = sheet("Группа 1", {{text("ФИО"), text("Зачетка")},
                                       {text("Иванов"), {CellKind::Date, "12.03.2024", 45363}},
                                       {text("Петров"), text("7")},
                                       {{CellKind::Error, "#N/A"}, text("1,2E+11")}});
    workbook::Workbook book;
    book.sheets = {s};
    const auto problems = workbook::unreadableCells(s, workbook::findListSheet(book));
    std::vector<std::string> told;
    for (const workbook::CellProblem& p : problems)
        told.push_back(std::to_string(p.row) + "/" + std::to_string(p.column) + " " +
                       jetwriter::english(p.place));
    EXPECT_EQ(told, (std::vector<std::string>{"2/2 sheet \"Группа 1\", cell B2",
                                              "4/1 sheet \"Группа 1\", cell A4"}));
}

// A date in the header row or above it is no student's.
TEST(WorkbookClassList, CellsAboveTheHeaderAreNotChecked) {
    const Sheet s = sheet("Лист1", {{{CellKind::Date, "01.09.2024"}, {CellKind::Error, "#N/A"}},
                                    {text("StBook"), text("StName")}});
    workbook::Workbook book;
    book.sheets = {s};
    EXPECT_NO_THROW(workbook::refuseUnreadableCells(s, workbook::findListSheet(book)));
}

}  // namespace
