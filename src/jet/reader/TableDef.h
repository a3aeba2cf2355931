#pragma once

#include "JetReader.h"
#include "PageFile.h"

#include <cstdint>
#include <vector>

namespace jet::reader::detail {

// A table definition as the reader trusts it: columns checked against each other (numbers and
// variable slots unique, fixed values not overlapping, number kinds of their proper size).
struct TableDef {
    std::uint32_t page = 0;  // first definition page; the owner every data page names
    std::uint32_t definedRows = 0;
    std::uint32_t maxCols = 0;         // a row never counts more columns than this
    std::uint32_t numVarCols = 0;      // non-zero: rows carry a variable-offset table
    std::uint32_t fixedEnd = 0;        // end of the fixed area, after the row's column count
    std::uint32_t usedMapPointer = 0;  // pg_row of the map of the table's data pages
    std::vector<Column> columns;       // in column-number order
};

// Reads the definition that starts at `page`; TableUnreadable where it does not add up.
TableDef readTableDef(PageFile& file, std::uint32_t page, std::uint16_t codePage);

}  // namespace jet::reader::detail
