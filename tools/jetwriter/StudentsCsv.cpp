#include "StudentsCsv.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "Int32Text.h"
#include "JetText.h"
#include "Utf8.h"

namespace jetwriter {
namespace {

struct Field {
    std::string text;
    bool quoted = false;
    std::size_t line = 0;
};

std::string describe(std::size_t line, std::size_t column, const std::string& name,
                     const std::string& problem) {
    std::string s = "line " + std::to_string(line);
    if (column > 0) {
        s += ", column " + std::to_string(column);
        if (!name.empty()) s += " (" + name + ")";
    }
    return s + ": " + problem;
}

// A field's text for a message: printable ASCII and valid UTF-8 as they are, other bytes as
// \xNN, cut after 40 characters.
std::string shown(std::string_view text) {
    std::string out = "\"";
    std::size_t chars = 0;
    std::size_t pos = 0;
    while (pos < text.size() && chars < 40) {
        const auto b = static_cast<unsigned char>(text[pos]);
        std::size_t len = b < 0x80 ? 1 : b < 0xE0 ? 2 : b < 0xF0 ? 3 : 4;
        if (len > 1 && pos + len <= text.size() && !firstInvalidUtf8(text.substr(pos, len))) {
            out.append(text.substr(pos, len));
        } else if (b >= 0x20 && b < 0x7F) {
            out.push_back(static_cast<char>(b));
            len = 1;
        } else {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", b);
            out += hex;
            len = 1;
        }
        pos += len;
        ++chars;
    }
    if (pos < text.size()) out += "...";
    return out + "\"";
}

// Splits the file into records of fields. Line numbers count every line end, also those
// inside quoted fields.
class Scanner {
public:
    explicit Scanner(std::string_view s) : s_(s) {
        if (s_.substr(0, 3) == "\xEF\xBB\xBF") pos_ = 3;
    }

    // The next record, skipping empty lines; false at the end of the file.
    bool next(std::vector<Field>& fields, std::size_t& recordLine) {
        while (pos_ < s_.size() && isLineEnd(s_[pos_])) skipLineEnd();
        if (pos_ >= s_.size()) return false;
        fields.clear();
        recordLine = line_;
        for (;;) {
            fields.push_back(readField(fields.size() + 1));
            if (pos_ < s_.size() && s_[pos_] == ',') {
                ++pos_;
                continue;
            }
            if (pos_ < s_.size()) skipLineEnd();
            return true;
        }
    }

    // Column names are only known to the caller; it fills them in.
    std::vector<std::string> columnNames;

private:
    static bool isLineEnd(char c) { return c == '\n' || c == '\r'; }

    void skipLineEnd() {
        if (s_[pos_] == '\r' && pos_ + 1 < s_.size() && s_[pos_ + 1] == '\n') ++pos_;
        ++pos_;
        ++line_;
    }

    std::string nameOf(std::size_t column) const {
        return column <= columnNames.size() ? columnNames[column - 1] : std::string();
    }

    Field readField(std::size_t column) {
        Field f;
        f.line = line_;
        if (pos_ < s_.size() && s_[pos_] == '"') {
            f.quoted = true;
            ++pos_;
            for (;;) {
                if (pos_ >= s_.size())
                    throw CsvError(f.line, column, nameOf(column),
                                   "the closing double quote is missing");
                const char c = s_[pos_];
                if (c == '"') {
                    if (pos_ + 1 < s_.size() && s_[pos_ + 1] == '"') {
                        f.text.push_back('"');
                        pos_ += 2;
                        continue;
                    }
                    ++pos_;
                    break;
                }
                if (c == '\n' || (c == '\r' && !(pos_ + 1 < s_.size() && s_[pos_ + 1] == '\n')))
                    ++line_;
                f.text.push_back(c);
                ++pos_;
            }
            if (pos_ < s_.size() && s_[pos_] != ',' && !isLineEnd(s_[pos_])) {
                // Quoted text over several lines is most often a closing quote forgotten
                // where it began.
                if (f.line != line_)
                    throw CsvError(f.line, column, nameOf(column),
                                   "the closing double quote seems to be missing: the quoted "
                                   "text runs on to line " +
                                       std::to_string(line_) + " and goes on after a quote there");
                throw CsvError(line_, column, nameOf(column),
                               "text after the closing double quote (a quote inside quoted "
                               "text is written twice: \"\")");
            }
            return f;
        }
        const std::size_t start = pos_;
        while (pos_ < s_.size() && s_[pos_] != ',' && !isLineEnd(s_[pos_])) {
            if (s_[pos_] == '"')
                throw CsvError(line_, column, nameOf(column),
                               "a double quote in a field that does not start with one (put "
                               "the whole field in double quotes and write the quote twice)");
            ++pos_;
        }
        f.text.assign(s_.substr(start, pos_ - start));
        return f;
    }

    std::string_view s_;
    std::size_t pos_ = 0;
    std::size_t line_ = 1;
};

void checkHeader(const std::vector<Field>& fields, std::size_t line, const Table& table) {
    const auto& columns = table.columns;
    for (std::size_t i = 0; i < fields.size() && i < columns.size(); ++i) {
        if (fields[i].text != columns[i].name)
            throw CsvError(line, i + 1, columns[i].name,
                           "the header has " + shown(fields[i].text) + " where " + columns[i].name +
                               " belongs");
    }
    if (fields.size() != columns.size())
        throw CsvError(line, 0, "",
                       "the header has " + std::to_string(fields.size()) +
                           " columns; it must be StBook,StName,StNum,GrNum,StCount,GrCount");
}

Value textValue(const Field& f, const Column& column, std::size_t index) {
    if (f.text.empty() && !f.quoted) return std::nullopt;
    auto fail = [&](const std::string& problem) {
        return CsvError(f.line, index, column.name, problem);
    };
    if (const auto bad = firstInvalidUtf8(f.text))
        throw fail("not valid UTF-8 (byte " + std::to_string(*bad + 1) + " of the field); " +
                   "save the file as UTF-8");
    const auto cps = *decodeUtf8(f.text);
    const std::size_t length = utf16Length(cps);
    if (length > static_cast<std::size_t>(column.maxChars))
        throw fail("the text is " + std::to_string(length) + " characters long; at most " +
                   std::to_string(column.maxChars) + " fit");
    if (std::find(cps.begin(), cps.end(), U'\0') != cps.end())
        throw fail("the text holds a NUL character");
    if (!encodeJetText(cps))
        throw fail(
            "text that starts with U+FEFF cannot also hold a character whose low byte is "
            "0 (such as U+0100)");
    return f.text;
}

Value countValue(const Field& f, const Column& column, std::size_t index) {
    if (f.text.empty()) return std::nullopt;
    std::int32_t v = 0;
    switch (parseInt32(f.text, v)) {
        case Int32Parse::Ok: return v;
        case Int32Parse::NotANumber:
            throw CsvError(f.line, index, column.name, "not a whole number: " + shown(f.text));
        case Int32Parse::OutOfRange: break;
    }
    throw CsvError(
        f.line, index, column.name,
        "the number " + shown(f.text) + " is outside the range -2147483648 to 2147483647");
}

}  // namespace

CsvError::CsvError(std::size_t line, std::size_t column, std::string columnName,
                   std::string problem)
    : Error(describe(line, column, columnName, problem)),
      line_(line),
      column_(column),
      columnName_(std::move(columnName)),
      problem_(std::move(problem)) {}

Table studentsTable() {
    return Table{"Students",
                 {
                     {"StBook", ColumnType::Text, 50},
                     {"StName", ColumnType::Text, 255},
                     {"StNum", ColumnType::Text, 50},
                     {"GrNum", ColumnType::Text, 100},
                     {"StCount", ColumnType::Long, 0},
                     {"GrCount", ColumnType::Long, 0},
                 },
                 {}};
}

Table readStudentsCsv(std::string_view csv) {
    Table table = studentsTable();
    const auto& columns = table.columns;
    Scanner scanner(csv);
    std::vector<Field> fields;
    std::size_t line = 1;
    if (!scanner.next(fields, line))
        throw CsvError(1, 0, "",
                       "the file is empty; its first line must be the header "
                       "StBook,StName,StNum,GrNum,StCount,GrCount");
    checkHeader(fields, line, table);
    for (const Column& c : columns) scanner.columnNames.push_back(c.name);

    while (scanner.next(fields, line)) {
        if (fields.size() < columns.size())
            throw CsvError(line, fields.size() + 1, columns[fields.size()].name,
                           "missing: the line has " + std::to_string(fields.size()) + " fields, " +
                               std::to_string(columns.size()) + " expected");
        if (fields.size() > columns.size())
            throw CsvError(line, columns.size() + 1, "",
                           "too many fields: the line has " + std::to_string(fields.size()) +
                               " fields, " + std::to_string(columns.size()) + " expected");
        Row row(columns.size());
        for (std::size_t i = 0; i < columns.size(); ++i) {
            row[i] = columns[i].type == ColumnType::Text ? textValue(fields[i], columns[i], i + 1)
                                                         : countValue(fields[i], columns[i], i + 1);
        }
        table.rows.push_back(std::move(row));
    }
    return table;
}

}  // namespace jetwriter
