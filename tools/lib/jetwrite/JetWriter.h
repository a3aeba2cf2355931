#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "Error.h"

// Writes Access database files from scratch (Access 97, 2000 or 2007 format): tables of text,
// memo, number, date and yes/no columns, calculated columns, Nulls, any number of rows, and rows
// that Access has moved or deleted. No index is written; every reader here scans tables anyway.
namespace jetwriter {

enum class ColumnType {
    Text,
    Long,      // 32-bit
    Byte,      // 0 to 255
    Integer,   // 16-bit
    Single,    // 32-bit float
    Double,    // 64-bit float
    Currency,  // a whole number of ten-thousandths, 64-bit
    Decimal,   // Access 2000 and later: `precision` digits, `scale` of them after the point
    Memo,      // text of any length: in the row, on one long-value page, or on a chain of them
    DateTime,
    Boolean,  // never Null: a missing value is stored as No
};

struct Column {
    std::string name;  // UTF-8, 1 to 64 characters
    ColumnType type = ColumnType::Text;
    int maxChars = 255;  // TEXT only: 1 to 255, counted in UTF-16 units as Jet does
    int precision = 18;  // DECIMAL only: 1 to 28
    int scale = 0;       // DECIMAL only: 0 to precision
    // Access 2010 and later files only: the column holds an expression's result, which Access
    // works out and stores with each row. `type` is the result's type; each row gives its result.
    bool calculated = false;
    std::string expression = {};  // kept with the table's properties as Access shows it
};

// A calculated column of the result type `type` (DECIMAL results: precision 28, `scale`).
Column calculatedColumn(std::string name, ColumnType type, std::string expression, int scale = 0);

// Money as Jet keeps it: the amount times 10 000 (12.5 is {125000}).
struct Currency {
    std::int64_t tenThousandths = 0;
    bool operator==(const Currency&) const = default;
};

// A decimal number as text: an optional '-', digits, and optionally '.' and more digits
// ("-12.50"). It must fit the column's precision and scale.
struct Decimal {
    std::string text;
    bool operator==(const Decimal&) const = default;
};

// Days since 1899-12-30 00:00, the time of day as the fraction (45000.5 is 2023-03-15 12:00).
struct DateTime {
    double days = 0;
    bool operator==(const DateTime&) const = default;
};

// A missing value is Null. Which carrier goes in which column:
//   std::string   TEXT and MEMO (UTF-8)
//   std::int32_t  LONG, INTEGER and BYTE (within the column's range), SINGLE, DOUBLE, CURRENCY
//                 and DECIMAL (as a whole number)
//   double        SINGLE and DOUBLE (SINGLE rounds it to the nearest float)
//   Currency      CURRENCY;  Decimal  DECIMAL;  DateTime  DATETIME;  bool  BOOLEAN
using Value = std::optional<
    std::variant<std::string, std::int32_t, double, Currency, Decimal, DateTime, bool>>;
using Row = std::vector<Value>;

// What became of a row on its way to the file. The row's values are the ones a correct reader
// returns for it; rows that are deleted in the end are in the file but not live.
enum class RowPlacement {
    InPlace,  // a plain row
    // Its original place holds a pointer (offset flag 0x4000) to the data, on a later page of
    // the table, flagged 0x8000 so that a scan passes over it.
    Moved,
    // Moved, then moved again: the original place points to the newest data; the earlier data
    // copy is left behind flagged 0x8000 with nothing pointing to it.
    MovedTwice,
    // Moved, then deleted: the original place is flagged 0xC000, its data left behind with 0x8000.
    MovedThenDeleted,
    Deleted,  // the row's bytes stay where they were, flagged 0xC000
    // As MovedTwice and MovedThenDeleted, with the left-behind data copy flagged 0xC000.
    MovedTwiceStaleMarkedDeleted,
    MovedThenDeletedCopyMarkedDeleted,
};

struct Table {
    std::string name;  // UTF-8, 1 to 64 characters, unique in the file ignoring case
    std::vector<Column> columns;
    std::vector<Row> rows;  // each row holds one value per column, in column order
    // One per row, in row order; rows past its end are InPlace.
    std::vector<RowPlacement> placements = {};
    // For rows moved twice: the values the left-behind copy holds, by row index (the row's own
    // values when absent).
    std::map<std::size_t, Row> staleCopies = {};
};

enum class Format {
    Jet3,  // Access 97: 2 KB pages, text as single bytes in the file's code page
    Jet4,  // Access 2000 to 2003
    Ace,   // Access 2007 and later (.accdb), not encrypted
};

struct Options {
    // Creation time stored in the file and in the catalogue; now when unset. Fixing it makes
    // the output the same bytes for the same tables.
    std::optional<std::chrono::system_clock::time_point> created;
    Format format = Format::Jet4;
    // Jet3 only: the code page named in the header, in which all text is stored. A character
    // that has no form in it is an error.
    int codePage = 1251;
};

// Writes the database to `path` atomically: the file appears complete or not at all, and a
// file already there is only replaced on success. Throws Error on bad input (naming the table,
// row and column) and on any failure to write.
void writeDatabase(const std::filesystem::path& path, const std::vector<Table>& tables,
                   const Options& options = {});

// The same file as bytes in memory.
std::string databaseBytes(const std::vector<Table>& tables, const Options& options = {});

}  // namespace jetwriter
