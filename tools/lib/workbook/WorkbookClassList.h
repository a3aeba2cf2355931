#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "CsvClassList.h"
#include "Workbook.h"

namespace workbook {

// Where a workbook keeps its class list.
struct ListSheet {
    std::size_t sheet = 0;      // index into Workbook::sheets
    std::size_t headerRow = 0;  // 0-based
    // For each of the header row's columns, the column of table Students its title names.
    std::vector<std::optional<std::size_t>> columns;
};

// The first sheet shown (hidden ones passed over) with a row naming a record-book column, and
// that row. Throws WorkbookError naming the sheets read when none has one.
ListSheet findListSheet(const Workbook& book);

// A cell below the header that cannot be a student's value. Each names its row, so a class list
// can leave that student out and write the others.
struct CellProblem {
    std::size_t row = 0;       // 1-based, as the sheet numbers it
    std::size_t column = 0;    // 1-based
    jetwriter::Message place;  // cellPlace of the two
    jetwriter::Message text;
};

// Every such cell, row by row: in the record-book column a date (the spreadsheet took the number
// for a date, and the digits typed are gone), a number of more than 15 digits (a spreadsheet
// keeps no more; no card holds it) and a text that shows an exponent (its digits were lost before
// it came into the cell); in any column the list takes, a formula's error or a formula without
// its saved result.
std::vector<CellProblem> unreadableCells(const Sheet& sheet, const ListSheet& list);

// The first of unreadableCells, thrown as a WorkbookError naming the cell.
void refuseUnreadableCells(const Sheet& sheet, const ListSheet& list);

// The sheet's cells as the texts shown, row by row; an empty cell is an empty text.
std::vector<std::vector<std::string>> textRows(const Sheet& sheet);

// The class list on the sheet, read by the class-list rules (its header is the first row with a
// record-book title). The notes' lines are the sheet's row numbers and their columns its
// columns; a problem is thrown as a WorkbookError naming the sheet's cell or row.
classlist::ClassList readSheetClassList(const Sheet& sheet);

// The class list of a workbook's bytes: findListSheet, refuseUnreadableCells and
// readSheetClassList in turn. `sheetName` is set to the sheet read.
classlist::ClassList readWorkbookClassList(std::string_view bytes, std::string& sheetName);

// «sheet "Группа 1", row 7».
jetwriter::Message rowPlace(const std::string& sheet, std::size_t row);

}  // namespace workbook
