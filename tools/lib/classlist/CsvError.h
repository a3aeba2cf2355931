#pragma once

#include <cstddef>
#include <string>

#include "Error.h"
#include "Message.h"

namespace classlist {

// A class-list problem, with the line (1-based, physical lines of the file) and the column
// (1-based; 0 when the whole line is meant). what() gives "line L, column C (Name): problem" in
// English; the tool translates where() and problemText() instead.
class CsvError : public jetwriter::Error {
public:
    CsvError(std::size_t line, std::size_t column, std::string columnName,
             jetwriter::Message problem);

    std::size_t line() const { return line_; }
    std::size_t column() const { return column_; }
    const std::string& columnName() const { return columnName_; }
    // The problem in English.
    std::string problem() const { return jetwriter::english(problem_); }
    const jetwriter::Message& problemText() const { return problem_; }
    // "line L, column C (Name)", or less when the column or its name is not known.
    jetwriter::Message where() const;

private:
    std::size_t line_;
    std::size_t column_;
    std::string columnName_;
    jetwriter::Message problem_;
};

}  // namespace classlist
