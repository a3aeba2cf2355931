#include "StudentsCsv.h"

#include <algorithm>
#include <cstdio>
#include <optional>
#include <unordered_map>

#include "CaseFold.h"
#include "ColumnTitles.h"
#include "Cp1251.h"
#include "Int32Text.h"
#include "JetText.h"
#include "Utf8.h"

namespace jetwriter {
namespace {

constexpr std::size_t kStBook = 0;

struct Field {
    std::string text;
    bool quoted = false;
    std::size_t line = 0;
};

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

// Space, tab and the no-break space that spreadsheets carry over from formatted cells.
std::string_view trimBlanks(std::string_view s) {
    const auto blankAt = [&](std::size_t i) -> std::size_t {
        if (s[i] == ' ' || s[i] == '\t') return 1;
        if (s.substr(i, 2) == "\xC2\xA0") return 2;
        return 0;
    };
    while (!s.empty()) {
        const std::size_t n = blankAt(0);
        if (n == 0) break;
        s.remove_prefix(n);
    }
    while (!s.empty()) {
        if (s.back() == ' ' || s.back() == '\t') {
            s.remove_suffix(1);
        } else if (s.size() >= 2 && s.substr(s.size() - 2) == "\xC2\xA0") {
            s.remove_suffix(2);
        } else {
            break;
        }
    }
    return s;
}

// The separator the header line uses most, outside quotes.
char findSeparator(std::string_view s) {
    std::size_t pos = 0;
    while (pos < s.size() && (s[pos] == '\n' || s[pos] == '\r')) ++pos;
    std::size_t counts[3] = {0, 0, 0};
    const char kSeparators[3] = {',', ';', '\t'};
    bool inQuotes = false;
    for (; pos < s.size(); ++pos) {
        const char c = s[pos];
        if (c == '"') inQuotes = !inQuotes;
        if (inQuotes) continue;
        if (c == '\n' || c == '\r') break;
        for (int i = 0; i < 3; ++i)
            if (c == kSeparators[i]) ++counts[i];
    }
    int best = 0;
    for (int i = 1; i < 3; ++i)
        if (counts[i] > counts[best]) best = i;
    return kSeparators[best];
}

// Splits the text into records of fields. Line numbers count every line end, also those
// inside quoted fields.
class Scanner {
public:
    Scanner(std::string_view s, char separator) : s_(s), sep_(separator) {}

    // The next record, skipping empty lines; false at the end of the text.
    bool next(std::vector<Field>& fields, std::size_t& recordLine) {
        while (pos_ < s_.size() && isLineEnd(s_[pos_])) skipLineEnd();
        if (pos_ >= s_.size()) return false;
        fields.clear();
        recordLine = line_;
        for (;;) {
            fields.push_back(readField(fields.size() + 1));
            if (pos_ < s_.size() && s_[pos_] == sep_) {
                ++pos_;
                continue;
            }
            if (pos_ < s_.size()) skipLineEnd();
            return true;
        }
    }

    // Names of the file's columns, for messages; filled in once the header is read.
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

    CsvError error(std::size_t line, std::size_t column, const char* text,
                   std::vector<std::string> args = {}) const {
        return CsvError(line, column, nameOf(column), {text, std::move(args)});
    }

    Field readField(std::size_t column) {
        Field f;
        f.line = line_;
        if (pos_ < s_.size() && s_[pos_] == '"') {
            f.quoted = true;
            ++pos_;
            for (;;) {
                if (pos_ >= s_.size())
                    throw error(f.line, column,
                                JW_TR("jetwriter",
                                      "the closing double quote is missing; add it after the "
                                      "text"));
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
            if (pos_ < s_.size() && s_[pos_] != sep_ && !isLineEnd(s_[pos_])) {
                // Quoted text over several lines is most often a closing quote forgotten
                // where it began.
                if (f.line != line_)
                    throw error(f.line, column,
                                JW_TR("jetwriter",
                                      "the closing double quote seems to be missing: the quoted "
                                      "text runs on to line %1 and goes on after a quote there; "
                                      "add the quote where the text ends"),
                                {std::to_string(line_)});
                throw error(line_, column,
                            JW_TR("jetwriter",
                                  "text after the closing double quote (a quote inside quoted "
                                  "text is written twice: \"\")"));
            }
            return f;
        }
        const std::size_t start = pos_;
        while (pos_ < s_.size() && s_[pos_] != sep_ && !isLineEnd(s_[pos_])) {
            if (s_[pos_] == '"')
                throw error(line_, column,
                            JW_TR("jetwriter",
                                  "a double quote in a field that does not start with one (put "
                                  "the whole field in double quotes and write the quote twice)"));
            ++pos_;
        }
        f.text.assign(s_.substr(start, pos_ - start));
        return f;
    }

    std::string_view s_;
    char sep_;
    std::size_t pos_ = 0;
    std::size_t line_ = 1;
};

std::string joinedTitles(std::size_t column) {
    std::string out;
    for (const std::string_view t : titlesFor(column)) {
        if (!out.empty()) out += ", ";
        out += "\"";
        out += t;
        out += "\"";
    }
    return out;
}

// For each column of the table, the index of the file's field that holds it.
using ColumnMap = std::vector<std::optional<std::size_t>>;

ColumnMap readHeader(const std::vector<Field>& fields, std::size_t line, const Table& table,
                     std::vector<ClassListNote>& notes) {
    ColumnMap map(table.columns.size());
    for (std::size_t i = 0; i < fields.size(); ++i) {
        const std::string title(trimBlanks(fields[i].text));
        const auto column = columnForTitle(title);
        if (!column) {
            if (title.empty())
                notes.push_back(
                    {ClassListNote::Kind::ColumnPassedOver,
                     line,
                     i + 1,
                     "",
                     {JW_TR("jetwriter", "a column without a title, passed over"), {}}});
            else
                notes.push_back({ClassListNote::Kind::ColumnPassedOver,
                                 line,
                                 i + 1,
                                 "",
                                 {JW_TR("jetwriter",
                                        "%1 is not a column of the class list, "
                                        "passed over"),
                                  {shown(title)}}});
            continue;
        }
        const std::string& name = table.columns[*column].name;
        if (map[*column])
            throw CsvError(line, i + 1, name,
                           {JW_TR("jetwriter",
                                  "column %1 is %2 too; give only one column a title of %2 "
                                  "(%3)"),
                            {std::to_string(*map[*column] + 1), name, joinedTitles(*column)}});
        map[*column] = i;
    }
    for (std::size_t c = 0; c < map.size(); ++c) {
        if (map[c]) continue;
        const std::string& name = table.columns[c].name;
        if (columnIsRequired(c))
            throw CsvError(line, 0, "",
                           {JW_TR("jetwriter",
                                  "there is no column %1; the first line must name the columns, "
                                  "and one of them must have one of the titles %2"),
                            {name, joinedTitles(c)}});
        notes.push_back({ClassListNote::Kind::ColumnMissing,
                         line,
                         0,
                         "",
                         {JW_TR("jetwriter", "there is no column %1; it is left empty"), {name}}});
    }
    return map;
}

Value textValue(const Field& f, const Column& column, std::size_t index) {
    if (f.text.empty() && !f.quoted) return std::nullopt;
    auto fail = [&](const char* text, std::vector<std::string> args = {}) {
        return CsvError(f.line, index, column.name, {text, std::move(args)});
    };
    if (const auto bad = firstInvalidUtf8(f.text))
        throw fail(JW_TR("jetwriter",
                         "not valid UTF-8 (byte %1 of the field), although the file starts as "
                         "UTF-8 does; save the file as UTF-8 again"),
                   {std::to_string(*bad + 1)});
    const auto cps = *decodeUtf8(f.text);
    const std::size_t length = utf16Length(cps);
    if (length > static_cast<std::size_t>(column.maxChars))
        throw fail(JW_TR("jetwriter", "the text is %1 characters long; at most %2 fit, shorten it"),
                   {std::to_string(length), std::to_string(column.maxChars)});
    if (std::find(cps.begin(), cps.end(), U'\0') != cps.end())
        throw fail(JW_TR("jetwriter",
                         "the text holds a NUL character; a file saved as Unicode text needs "
                         "its byte-order mark, save it again from the spreadsheet"));
    if (!encodeJetText(cps))
        throw fail(JW_TR("jetwriter",
                         "text that starts with U+FEFF cannot also hold a character whose low "
                         "byte is 0 (such as U+0100); remove the U+FEFF"));
    return f.text;
}

Value countValue(const Field& f, const Column& column, std::size_t index) {
    if (f.text.empty()) return std::nullopt;
    std::int32_t v = 0;
    switch (parseInt32(f.text, v)) {
        case Int32Parse::Ok: return v;
        case Int32Parse::NotANumber:
            throw CsvError(
                f.line, index, column.name,
                {JW_TR("jetwriter", "not a whole number: %1; write digits only, or leave it empty"),
                 {shown(f.text)}});
        case Int32Parse::OutOfRange: break;
    }
    throw CsvError(f.line, index, column.name,
                   {JW_TR("jetwriter",
                          "the number %1 is outside the range -2147483648 to "
                          "2147483647"),
                    {shown(f.text)}});
}

bool allBlank(const std::vector<Field>& fields) {
    return std::all_of(fields.begin(), fields.end(),
                       [](const Field& f) { return trimBlanks(f.text).empty(); });
}

// The record-book number as the sign-in compares it: CP1251, letters folded.
std::string signInKey(const std::string& utf8) {
    return cp1251::folded(cp1251::fromUtf8(utf8));
}

}  // namespace

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

ClassList readClassList(std::string_view bytes) {
    ClassList list;
    DecodedText decoded = decodeClassList(bytes);
    list.encoding = decoded.encoding;
    const std::string& text = decoded.utf8;
    list.separator = findSeparator(text);
    list.table = studentsTable();
    const auto& columns = list.table.columns;
    auto& notes = list.notes;

    Scanner scanner(text, list.separator);
    std::vector<Field> fields;
    std::size_t line = 1;
    if (!scanner.next(fields, line))
        throw CsvError(1, 0, "",
                       {JW_TR("jetwriter",
                              "the file is empty; its first line must name the columns, such "
                              "as StBook,StName,StNum,GrNum,StCount,GrCount"),
                        {}});
    const ColumnMap map = readHeader(fields, line, list.table, notes);
    const std::size_t width = fields.size();
    scanner.columnNames.assign(width, "");
    for (std::size_t c = 0; c < map.size(); ++c)
        if (map[c]) scanner.columnNames[*map[c]] = columns[c].name;

    std::unordered_map<std::string, std::size_t> firstLineOf;
    while (scanner.next(fields, line)) {
        if (allBlank(fields)) {
            notes.push_back({ClassListNote::Kind::EmptyLine,
                             line,
                             0,
                             "",
                             {JW_TR("jetwriter", "only empty fields, passed over"), {}}});
            continue;
        }
        if (fields.size() < width)
            throw CsvError(line, fields.size() + 1, scanner.columnNames[fields.size()],
                           {JW_TR("jetwriter",
                                  "missing: the line has %1 fields where the header has %2; "
                                  "check the separators on this line (a text that holds the "
                                  "separator must be in double quotes)"),
                            {std::to_string(fields.size()), std::to_string(width)}});
        if (fields.size() > width &&
            !std::all_of(fields.begin() + static_cast<std::ptrdiff_t>(width), fields.end(),
                         [](const Field& f) { return trimBlanks(f.text).empty(); }))
            throw CsvError(line, width + 1, "",
                           {JW_TR("jetwriter",
                                  "too many fields: the line has %1 fields where the header has "
                                  "%2; give the extra column a title or check the separators "
                                  "on this line"),
                            {std::to_string(fields.size()), std::to_string(width)}});
        // Only passed-over columns filled: no student, and writing one would add a row that
        // no one can sign in with.
        if (std::all_of(map.begin(), map.end(),
                        [&](const auto& j) { return !j || trimBlanks(fields[*j].text).empty(); })) {
            notes.push_back(
                {ClassListNote::Kind::EmptyLine,
                 line,
                 0,
                 "",
                 {JW_TR("jetwriter", "only columns that are passed over are filled, passed over"),
                  {}}});
            continue;
        }
        Row row(columns.size());
        for (std::size_t c = 0; c < columns.size(); ++c) {
            if (!map[c]) continue;
            Field& f = fields[*map[c]];
            if (c == kStBook) {
                const std::string_view trimmed = trimBlanks(f.text);
                if (trimmed.size() != f.text.size()) {
                    notes.push_back(
                        {ClassListNote::Kind::BlanksTrimmed,
                         line,
                         *map[c] + 1,
                         columns[c].name,
                         {JW_TR("jetwriter",
                                "blanks around the record-book number %1 removed (a typed "
                                "number never has them)"),
                          {shown(f.text)}}});
                    f.text = std::string(trimmed);
                }
            }
            row[c] = columns[c].type == ColumnType::Text ? textValue(f, columns[c], *map[c] + 1)
                                                         : countValue(f, columns[c], *map[c] + 1);
        }
        const std::size_t bookColumn = *map[kStBook] + 1;
        const std::string* book = row[kStBook] ? std::get_if<std::string>(&*row[kStBook]) : nullptr;
        if (!book || book->empty()) {
            notes.push_back(
                {ClassListNote::Kind::NoRecordBook,
                 line,
                 bookColumn,
                 "StBook",
                 {JW_TR("jetwriter", "no record-book number; this student cannot sign in"), {}}});
        } else {
            const auto [at, isNew] = firstLineOf.emplace(signInKey(*book), line);
            if (!isNew)
                notes.push_back({ClassListNote::Kind::Duplicate,
                                 line,
                                 bookColumn,
                                 "StBook",
                                 {JW_TR("jetwriter",
                                        "the record-book number %1 is on line %2 already (letter "
                                        "case aside); only the student on line %2 can sign in"),
                                  {shown(*book), std::to_string(at->second)}}});
        }
        list.table.rows.push_back(std::move(row));
    }
    return list;
}

Table readStudentsCsv(std::string_view bytes) {
    return readClassList(bytes).table;
}

}  // namespace jetwriter
