#pragma once

#include <string_view>

#include "ClassList.h"

namespace classlist {

// Reads a class list as spreadsheets save it. The encoding comes from the bytes (see
// TextEncoding.h); lines end in LF, CR LF or CR. The separator is comma, semicolon or tab: the
// one the first line holds most of (comma when none), unless only another finds a header. The
// header is the first line that names a record-book column (else the first line); its titles
// name the columns in any order (see ColumnTitles.h). A text may be
// in double quotes (a quote inside doubled) or bare; an empty field without quotes is Null and ""
// is an empty text. Counts are decimal integers in the signed 32-bit range, quoted or not, or
// empty for Null. Texts lose the blanks at both ends; empty lines and lines of empty fields are
// passed over. A record-book number in exponent form is refused: its digits are lost. Any other
// input throws CsvError; it never reads outside `bytes`, whatever they are.
ClassList readClassList(std::string_view bytes);

// The table of readClassList.
jetwriter::Table readStudentsCsv(std::string_view bytes);

}  // namespace classlist
