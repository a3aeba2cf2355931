#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "CsvError.h"
#include "JetWriter.h"
#include "Message.h"
#include "TextEncoding.h"

namespace jetwriter {

// Table Students as the station reads it: StBook TEXT(50), StName TEXT(255), StNum TEXT(50),
// GrNum TEXT(100), StCount LONG, GrCount LONG. No rows.
Table studentsTable();

// Something the reader passed over or found doubtful; the list is still written.
struct ClassListNote {
    enum class Kind {
        ColumnPassedOver,  // a column the table has no place for
        ColumnMissing,     // a column the table has, left empty
        EmptyLine,         // a line of empty fields, passed over
        BlanksTrimmed,     // blanks around a record-book number, removed
        NoRecordBook,      // a student without a record-book number
        Duplicate,         // a record-book number already on an earlier line
    };
    Kind kind;
    std::size_t line;
    std::size_t column;  // 0 when the whole line is meant
    std::string columnName;
    Message text;
};

struct ClassList {
    Table table;
    Encoding encoding = Encoding::Utf8;
    char separator = ',';
    std::vector<ClassListNote> notes;
};

// Reads a class list as spreadsheets save it. The encoding comes from the bytes (see
// TextEncoding.h); lines end in LF, CR LF or CR. The first line that is not empty is the header:
// its separator (comma, semicolon or tab, whichever it holds most of; comma when none) separates
// every line, and its titles name the columns in any order (see ColumnTitles.h). A text may be
// in double quotes (a quote inside doubled) or bare; an empty field without quotes is Null and ""
// is an empty text. Counts are decimal integers in the signed 32-bit range, quoted or not, or
// empty for Null. Record-book numbers lose the blanks at both ends; empty lines and lines of
// empty fields are passed over. Any other input throws CsvError; it never reads outside `bytes`,
// whatever they are.
ClassList readClassList(std::string_view bytes);

// The table of readClassList.
Table readStudentsCsv(std::string_view bytes);

}  // namespace jetwriter
