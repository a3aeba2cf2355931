#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "Error.h"

// Writes Access 2000 (Jet4) database files from scratch: tables of TEXT and LONG columns,
// Nulls, any number of rows. No index is written; every reader here scans tables anyway.
namespace jetwriter {

enum class ColumnType { Text, Long };

struct Column {
    std::string name;  // UTF-8, 1 to 64 characters
    ColumnType type = ColumnType::Text;
    int maxChars = 255;  // TEXT only: 1 to 255, counted in UTF-16 units as Jet does
};

// A missing value is Null. Text is UTF-8 and goes in TEXT columns; integers in LONG columns.
using Value = std::optional<std::variant<std::string, std::int32_t>>;
using Row = std::vector<Value>;

struct Table {
    std::string name;  // UTF-8, 1 to 64 characters, unique in the file ignoring case
    std::vector<Column> columns;
    std::vector<Row> rows;  // each row holds one value per column, in column order
};

struct Options {
    // Creation time stored in the file and in the catalogue; now when unset. Fixing it makes
    // the output the same bytes for the same tables.
    std::optional<std::chrono::system_clock::time_point> created;
};

// Writes the database to `path` atomically: the file appears complete or not at all, and a
// file already there is only replaced on success. Throws Error on bad input (naming the table,
// row and column) and on any failure to write.
void writeDatabase(const std::filesystem::path& path, const std::vector<Table>& tables,
                   const Options& options = {});

// The same file as bytes in memory.
std::string databaseBytes(const std::vector<Table>& tables, const Options& options = {});

}  // namespace jetwriter
