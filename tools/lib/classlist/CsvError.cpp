#include "CsvError.h"

namespace classlist {
namespace {

using jetwriter::Message;

Message whereOf(std::size_t line, std::size_t column, const std::string& name) {
    const std::string l = std::to_string(line);
    if (column == 0) return {JW_TR("jetwriter", "line %1"), {l}};
    const std::string c = std::to_string(column);
    if (name.empty()) return {JW_TR("jetwriter", "line %1, column %2"), {l, c}};
    return {JW_TR("jetwriter", "line %1, column %2 (%3)"), {l, c, name}};
}

}  // namespace

CsvError::CsvError(std::size_t line, std::size_t column, std::string columnName, Message problem)
    : jetwriter::Error(jetwriter::english(whereOf(line, column, columnName)) + ": " +
                       jetwriter::english(problem)),
      line_(line),
      column_(column),
      columnName_(std::move(columnName)),
      problem_(std::move(problem)) {}

Message CsvError::where() const {
    return whereOf(line_, column_, columnName_);
}

}  // namespace classlist
