#include "CsvClassList.h"

#include "CsvError.h"
#include "TextEncoding.h"

namespace classlist {
namespace {

using Field = ClassListCell;

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
class Scanner : public ClassListRows {
public:
    Scanner(std::string_view s, char separator) : s_(s), sep_(separator) {}

    // The next record, skipping empty lines; false at the end of the text.
    bool next(ClassListRow& row) override {
        while (pos_ < s_.size() && isLineEnd(s_[pos_])) skipLineEnd();
        if (pos_ >= s_.size()) return false;
        row.cells.clear();
        row.line = line_;
        for (;;) {
            row.cells.push_back(readField(row.cells.size() + 1));
            if (pos_ < s_.size() && s_[pos_] == sep_) {
                ++pos_;
                continue;
            }
            if (pos_ < s_.size()) skipLineEnd();
            return true;
        }
    }

    void nameColumns(const std::vector<std::string>& names) override { columnNames = names; }

private:
    std::vector<std::string> columnNames;

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

}  // namespace

ClassList readClassList(std::string_view bytes) {
    ClassList list;
    DecodedText decoded = decodeClassList(bytes);
    list.encoding = decoded.encoding;
    const std::string& text = decoded.utf8;
    // The first line's separator, unless a title line above the header misleads it: then the
    // first of the others under which a line names a record-book column.
    const char firstGuess = findSeparator(text);
    list.separator = firstGuess;
    auto findsHeader = [&](char separator) {
        Scanner scanner(text, separator);
        ClassListRow row;
        try {
            while (scanner.next(row))
                if (namesRecordBook(row.cells)) return true;
        } catch (const CsvError&) {
        }
        return false;
    };
    if (!findsHeader(firstGuess))
        for (const char other : {',', ';', '\t'})
            if (other != firstGuess && findsHeader(other)) {
                list.separator = other;
                break;
            }
    Scanner scanner(text, list.separator);
    readClassListRows(scanner, list);
    return list;
}

jetwriter::Table readStudentsCsv(std::string_view bytes) {
    return readClassList(bytes).table;
}

}  // namespace classlist
