#pragma once

#include <cstddef>
#include <optional>
#include <string_view>
#include <vector>

namespace classlist {

// The column of table Students (0 StBook .. 5 GrCount) that a header title names: our own column
// name or one of the Russian titles schools write, in any letter case, with ё as е and blanks
// and full stops not counted. Nothing when the title names none.
std::optional<std::size_t> columnForTitle(std::string_view utf8Title);

// The titles that name `column`, ours first, as written in the list above (UTF-8).
std::vector<std::string_view> titlesFor(std::size_t column);

// Columns a class list must have; the others are left empty when missing.
bool columnIsRequired(std::size_t column);

}  // namespace classlist
