#pragma once

#include "Jet.h"
#include "StudentColumns.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace jettest {

// The real helper as the build placed it.
jet::Limits realHelper();
std::filesystem::path dataFile(const std::string& relative);

// One row of table Students as the program reads it: CP1251 texts, a Null as "" or 0.
struct StudentRow {
    std::string StBook, StName, StNum, GrNum;
    std::int32_t StCount = 0;
    std::int32_t GrCount = 0;
    bool operator==(const StudentRow&) const = default;
};

// The rows of a fixture's CSV file (UTF-8, header line, quoted texts, bare integers, an empty
// bare field for Null).
std::vector<StudentRow> readCsv(const std::filesystem::path& csv);

// Every row of the open recordset, each column read in turn, from the first row to EOF.
std::vector<StudentRow> readAllRows(jet::Recordset& records);

// False in a sanitizer build: there the helper runs without its address-space limit.
bool helperLimitsAddressSpace();

// Opens the database, table Students and a recordset on it.
struct OpenStudents {
    explicit OpenStudents(const std::filesystem::path& file, jet::Limits limits = realHelper());
    jet::Database db;
    jet::TableDef table;
    jet::Recordset records;
};

// True when this process has no child, running or unreaped.
bool noChildren();

std::string utf8(const std::string& cp1251);

}  // namespace jettest
