#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "Error.h"
#include "JetWriter.h"

namespace jetwriter {

// Table Students as the station reads it: StBook TEXT(50), StName TEXT(255), StNum TEXT(50),
// GrNum TEXT(100), StCount LONG, GrCount LONG. No rows.
Table studentsTable();

// A CSV problem, with the line (1-based, physical lines of the file) and the column (1-based;
// 0 when the whole line is meant). what() gives "line L, column C (Name): problem".
class CsvError : public Error {
public:
    CsvError(std::size_t line, std::size_t column, std::string columnName, std::string problem);

    std::size_t line() const { return line_; }
    std::size_t column() const { return column_; }
    const std::string& columnName() const { return columnName_; }
    const std::string& problem() const { return problem_; }

private:
    std::size_t line_;
    std::size_t column_;
    std::string columnName_;
    std::string problem_;
};

// Reads a students list: UTF-8 (a leading byte-order mark is skipped), lines ending in LF,
// CR LF or CR, first line the header StBook,StName,StNum,GrNum,StCount,GrCount. Fields are
// separated by commas. A text may be in double quotes (a quote inside doubled) or bare; an
// empty field without quotes is Null and "" is an empty text. Counts are decimal integers in
// the signed 32-bit range, quoted or not, or empty for Null. Empty lines are skipped. Any other
// input throws CsvError; it never reads outside `csv`, whatever the bytes.
Table readStudentsCsv(std::string_view csv);

}  // namespace jetwriter
