#include "CsvClassList.h"

#include <algorithm>
#include <cstdio>
#include <optional>
#include <unordered_map>

#include "CaseFold.h"
#include "ColumnTitles.h"
#include "Cp1251.h"
#include "Int32Text.h"
#include "JetText.h"
#include "NumberDamage.h"
#include "Utf8.h"

namespace classlist {
namespace {

using jetwriter::Column;
using jetwriter::ColumnType;
using jetwriter::decodeUtf8;
using jetwriter::encodeJetText;
using jetwriter::firstInvalidUtf8;
using jetwriter::Message;
using jetwriter::Row;
using jetwriter::Table;
using jetwriter::utf16Length;
using jetwriter::Value;

constexpr std::size_t kStBook = 0;
constexpr std::size_t kStName = 1;

using Field = ClassListCell;

// A field's text for a message, which puts it in quotes: printable ASCII and valid UTF-8 as
// they are, other bytes as \xNN, cut after 40 characters.
std::string shown(std::string_view text) {
    std::string out;
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
    return out;
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

std::string joinedTitles(std::size_t column) {
    std::string out;
    // No title holds a comma, so the list needs no quotes, which are the translation's to choose.
    for (const std::string_view t : titlesFor(column)) {
        if (!out.empty()) out += ", ";
        out += t;
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
                                        "\"%1\" is not a column of the class list, "
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
                {JW_TR("jetwriter",
                       "not a whole number: \"%1\"; write digits only, or leave it empty"),
                 {shown(f.text)}});
        case Int32Parse::OutOfRange: break;
    }
    throw CsvError(f.line, index, column.name,
                   {JW_TR("jetwriter",
                          "the number \"%1\" is outside the range -2147483648 to "
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

// A line above the header, for the report: its filled fields, as the line shows them.
std::string lineText(const std::vector<Field>& fields) {
    std::string out;
    for (const Field& f : fields) {
        const std::string_view t = trimBlanks(f.text);
        if (t.empty()) continue;
        if (!out.empty()) out += " ";
        out += t;
    }
    return out;
}

const char* trimmedText(std::size_t column) {
    switch (column) {
        case kStBook:
            return JW_TR(
                "jetwriter",
                "blanks around the record-book number \"%1\" removed (a typed number never "
                "has them)");
        case 1: return JW_TR("jetwriter", "blanks around the name \"%1\" removed");
        case 3: return JW_TR("jetwriter", "blanks around the group \"%1\" removed");
        default: return JW_TR("jetwriter", "blanks around \"%1\" removed");
    }
}

Message damageText(const DamagedNumber& d, const std::string& number) {
    switch (d.damage) {
        case NumberDamage::DecimalZero:
            return {JW_TR("jetwriter",
                          "the record-book number \"%1\" ends in a decimal zero, as a spreadsheet "
                          "writes a number it holds as a number; the card most likely reads it "
                          "without; format the column as text, or give the workbook itself"),
                    {shown(number)}};
        case NumberDamage::LeadingZerosLost:
            return {JW_TR("jetwriter",
                          "the record-book number \"%1\" is shorter than most (%2 digits): a "
                          "spreadsheet that holds numbers drops their leading zeros; if the card "
                          "reads more digits, format the column as text, or give the workbook "
                          "itself"),
                    {shown(number), std::to_string(d.usualDigits)}};
        case NumberDamage::ExponentForm: break;
    }
    return {JW_TR("jetwriter", "the record-book number \"%1\" looks changed by a spreadsheet"),
            {shown(number)}};
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

namespace {

bool locksOut(ClassListNote::Kind kind) {
    using Kind = ClassListNote::Kind;
    return kind == Kind::DigitsLost || kind == Kind::NoRecordBook || kind == Kind::Duplicate;
}

}  // namespace

std::vector<ClassListNote> studentsLockedOut(const ClassList& list) {
    std::vector<ClassListNote> out;
    for (const ClassListNote& n : list.notes)
        if (locksOut(n.kind)) out.push_back(n);
    std::stable_sort(out.begin(), out.end(), [](const ClassListNote& a, const ClassListNote& b) {
        return a.line < b.line;
    });
    return out;
}

std::size_t studentsAtRisk(const ClassList& list) {
    std::vector<std::size_t> lockedOut;
    for (const ClassListNote& n : list.notes)
        if (locksOut(n.kind)) lockedOut.push_back(n.line);
    std::vector<std::size_t> lines;
    for (const ClassListNote& n : list.notes)
        if (n.kind == ClassListNote::Kind::DamagedNumber &&
            std::find(lockedOut.begin(), lockedOut.end(), n.line) == lockedOut.end())
            lines.push_back(n.line);
    std::sort(lines.begin(), lines.end());
    return static_cast<std::size_t>(std::unique(lines.begin(), lines.end()) - lines.begin());
}

bool namesRecordBook(const std::vector<Field>& fields) {
    return std::any_of(fields.begin(), fields.end(), [](const Field& f) {
        return columnForTitle(trimBlanks(f.text)) == kStBook;
    });
}

namespace {

using Kind = ClassListNote::Kind;

// The rows of one class list read in turn: the header, then each student's row.
class RowsReader {
public:
    RowsReader(ClassListRows& rows, ClassList& list)
        : rows_(rows), list_(list), columns_(list.table.columns), notes_(list.notes) {}

    void read() {
        std::vector<ClassListNote> above;
        const ClassListRow header = findHeader(above);
        notes_ = std::move(above);
        takeHeader(header);
        ClassListRow row;
        std::optional<std::size_t> firstLost;  // its note
        while (rows_.next(row)) {
            if (passedOver(row)) continue;
            if (lostDigits(row)) {
                if (!firstLost) firstLost = notes_.size() - 1;
                continue;
            }
            Row values = readValues(row);
            noteRecordBook(values, row.line);
            list_.table.rows.push_back(std::move(values));
        }
        if (list_.table.rows.empty() && firstLost) {
            const ClassListNote& lost = notes_[*firstLost];
            throw CsvError(lost.line, lost.column, lost.columnName,
                           {JW_TR("jetwriter",
                                  "the record-book number \"%1\" is in exponent form, as a "
                                  "spreadsheet shows a long number it holds as a number, and so "
                                  "is every other: their digits are lost, no student is left to "
                                  "write. Format the column as text in the spreadsheet and type "
                                  "the numbers again, or give the workbook (.xlsx, .ods, .xls) "
                                  "itself"),
                            lost.text.args});
        }
        noteDamagedNumbers();
    }

private:
    // The first row naming a record-book column; the rows above it are a title and its blank
    // lines. Without one, the first row is taken, and says what it lacks.
    ClassListRow findHeader(std::vector<ClassListNote>& above) {
        ClassListRow row;
        std::optional<ClassListRow> first;
        while (rows_.next(row)) {
            if (!first) first = row;
            if (namesRecordBook(row.cells)) return row;
            if (allBlank(row.cells))
                above.push_back(
                    {Kind::AboveHeader,
                     row.line,
                     0,
                     "",
                     {JW_TR("jetwriter", "an empty line above the header, passed over"), {}}});
            else
                above.push_back({Kind::AboveHeader,
                                 row.line,
                                 0,
                                 "",
                                 {JW_TR("jetwriter", "\"%1\" above the header, passed over"),
                                  {shown(lineText(row.cells))}}});
        }
        if (!first)
            throw CsvError(1, 0, "",
                           {JW_TR("jetwriter",
                                  "the file is empty; its first line must name the columns, such "
                                  "as StBook,StName,StNum,GrNum,StCount,GrCount"),
                            {}});
        return *first;
    }

    // Maps the columns and notes what the header lacks; missing counts make one note, as most
    // lists have neither.
    void takeHeader(const ClassListRow& header) {
        std::vector<ClassListNote> headerNotes;
        map_ = readHeader(header.cells, header.line, list_.table, headerNotes);
        std::vector<std::string> missingCounts;
        for (ClassListNote& n : headerNotes) {
            if (n.kind == Kind::ColumnMissing &&
                (n.text.args == std::vector<std::string>{"StCount"} ||
                 n.text.args == std::vector<std::string>{"GrCount"}))
                missingCounts.push_back(n.text.args.front());
            else
                notes_.push_back(std::move(n));
        }
        if (!missingCounts.empty()) {
            std::string names;
            for (const std::string& n : missingCounts) names += (names.empty() ? "" : ", ") + n;
            notes_.push_back({Kind::CountsMissing,
                              header.line,
                              0,
                              "",
                              {JW_TR("jetwriter", "no %1 in the list; left empty"), {names}}});
        }
        width_ = header.cells.size();
        columnNames_.assign(width_, std::string());
        for (std::size_t c = 0; c < map_.size(); ++c)
            if (map_[c]) columnNames_[*map_[c]] = columns_[c].name;
        rows_.nameColumns(columnNames_);
        bookColumn_ = *map_[kStBook] + 1;
    }

    // A row of no student, noted; a row whose fields do not fit the header throws.
    bool passedOver(const ClassListRow& row) {
        const std::vector<Field>& fields = row.cells;
        if (allBlank(fields)) {
            notes_.push_back({Kind::EmptyLine,
                              row.line,
                              0,
                              "",
                              {JW_TR("jetwriter", "only empty fields, passed over"), {}}});
            return true;
        }
        checkWidth(row);
        // Only passed-over columns filled: writing a row would add one that no one can sign in
        // with.
        if (std::all_of(map_.begin(), map_.end(),
                        [&](const auto& j) { return !j || trimBlanks(fields[*j].text).empty(); })) {
            notes_.push_back(
                {Kind::EmptyLine,
                 row.line,
                 0,
                 "",
                 {JW_TR("jetwriter", "only columns that are passed over are filled, passed over"),
                  {}}});
            return true;
        }
        return false;
    }

    void checkWidth(const ClassListRow& row) const {
        const std::vector<Field>& fields = row.cells;
        if (fields.size() < width_)
            throw CsvError(row.line, fields.size() + 1, columnNames_[fields.size()],
                           {JW_TR("jetwriter",
                                  "missing: the line has %1 fields where the header has %2; "
                                  "check the separators on this line (a text that holds the "
                                  "separator must be in double quotes)"),
                            {std::to_string(fields.size()), std::to_string(width_)}});
        if (fields.size() > width_ &&
            !std::all_of(fields.begin() + static_cast<std::ptrdiff_t>(width_), fields.end(),
                         [](const Field& f) { return trimBlanks(f.text).empty(); }))
            throw CsvError(row.line, width_ + 1, "",
                           {JW_TR("jetwriter",
                                  "too many fields: the line has %1 fields where the header has "
                                  "%2; give the extra column a title or check the separators "
                                  "on this line"),
                            {std::to_string(fields.size()), std::to_string(width_)}});
    }

    // A number shown with an exponent keeps six digits of twelve: no card reads it, and a
    // student written with it would only take the place of the right number.
    bool lostDigits(const ClassListRow& row) {
        const Field& f = row.cells[*map_[kStBook]];
        const std::string_view book = trimBlanks(f.text);
        if (!inExponentForm(book)) return false;
        notes_.push_back({Kind::DigitsLost,
                          f.line,
                          bookColumn_,
                          "StBook",
                          {JW_TR("jetwriter",
                                 "the record-book number \"%1\" is in exponent form, as a "
                                 "spreadsheet shows a long number it holds as a number: its "
                                 "digits are lost, this student is not written"),
                           {shown(std::string(book))}},
                          nameOn(row)});
        return true;
    }

    std::string nameOn(const ClassListRow& row) const {
        return map_[kStName] ? std::string(trimBlanks(row.cells[*map_[kStName]].text))
                             : std::string();
    }

    Row readValues(ClassListRow& row) {
        Row values(columns_.size());
        for (std::size_t c = 0; c < columns_.size(); ++c) {
            if (!map_[c]) continue;
            Field& f = row.cells[*map_[c]];
            if (columns_[c].type == ColumnType::Text) {
                const std::string_view trimmed = trimBlanks(f.text);
                if (trimmed.size() != f.text.size()) {
                    notes_.push_back({Kind::BlanksTrimmed,
                                      row.line,
                                      *map_[c] + 1,
                                      columns_[c].name,
                                      {trimmedText(c), {shown(f.text)}}});
                    f.text = std::string(trimmed);
                }
            }
            values[c] = columns_[c].type == ColumnType::Text
                            ? textValue(f, columns_[c], *map_[c] + 1)
                            : countValue(f, columns_[c], *map_[c] + 1);
        }
        return values;
    }

    // A student without a number, or with one an earlier row has, cannot sign in.
    void noteRecordBook(const Row& values, std::size_t line) {
        const std::string* name =
            values[kStName] ? std::get_if<std::string>(&*values[kStName]) : nullptr;
        const std::string student = name ? *name : std::string();
        const std::string* book =
            values[kStBook] ? std::get_if<std::string>(&*values[kStBook]) : nullptr;
        if (!book || book->empty()) {
            notes_.push_back(
                {Kind::NoRecordBook,
                 line,
                 bookColumn_,
                 "StBook",
                 {JW_TR("jetwriter", "no record-book number; this student cannot sign in"), {}},
                 student});
            return;
        }
        const auto [at, isNew] = firstLineOf_.emplace(signInKey(*book), line);
        if (!isNew)
            notes_.push_back({Kind::Duplicate,
                              line,
                              bookColumn_,
                              "StBook",
                              {JW_TR("jetwriter",
                                     "the record-book number \"%1\" is on line %2 already (letter "
                                     "case aside); only the student on line %2 can sign in"),
                               {shown(*book), std::to_string(at->second)}},
                              student});
        books_.push_back(*book);
        bookLines_.push_back(line);
    }

    // Damage shows only against the whole column, so it is judged once all rows are read.
    void noteDamagedNumbers() {
        const std::vector<std::string_view> numbers(books_.begin(), books_.end());
        for (const DamagedNumber& d : findNumberDamage(numbers))
            notes_.push_back({Kind::DamagedNumber, bookLines_[d.index], bookColumn_, "StBook",
                              damageText(d, books_[d.index])});
    }

    ClassListRows& rows_;
    ClassList& list_;
    const std::vector<Column>& columns_;
    std::vector<ClassListNote>& notes_;
    ColumnMap map_;
    std::size_t width_ = 0;
    std::vector<std::string> columnNames_;
    std::size_t bookColumn_ = 0;
    std::unordered_map<std::string, std::size_t> firstLineOf_;
    std::vector<std::string> books_;  // each row's record-book number, for the damage patterns
    std::vector<std::size_t> bookLines_;
};

}  // namespace

void readClassListRows(ClassListRows& rows, ClassList& list) {
    list.table = studentsTable();
    RowsReader(rows, list).read();
}

}  // namespace classlist
