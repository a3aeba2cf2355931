// The writer tool reads class lists that people export from spreadsheets or type by hand. Any
// bytes must end in a table that can be stored or in a CsvError that points inside the file;
// an accepted table, written out again as plain CSV, must read back as the same table, whatever
// encoding, separator and column order the input had.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <variant>

#include "CsvClassList.h"
#include "FuzzCheck.h"
#include "JetText.h"
#include "Utf8.h"

using namespace jetwriter;
using namespace classlist;

namespace {

// Physical lines: CR LF, LF and a lone CR each end one.
std::size_t lineEnds(std::string_view s) {
    std::size_t n = 0;
    for (std::size_t i = 0; i < s.size(); ++i)
        if (s[i] == '\n' || (s[i] == '\r' && !(i + 1 < s.size() && s[i + 1] == '\n'))) ++n;
    return n;
}

std::string quoted(const std::string& text) {
    std::string out = "\"";
    for (char c : text) {
        if (c == '"') out += '"';
        out += c;
    }
    return out + "\"";
}

std::string writeCsv(const Table& table) {
    std::string out = "StBook,StName,StNum,GrNum,StCount,GrCount\r\n";
    for (const Row& row : table.rows) {
        for (std::size_t i = 0; i < row.size(); ++i) {
            if (i > 0) out += ',';
            if (!row[i]) continue;
            if (const auto* text = std::get_if<std::string>(&*row[i]))
                out += quoted(*text);
            else
                out += std::to_string(std::get<std::int32_t>(*row[i]));
        }
        out += "\r\n";
    }
    return out;
}

void checkTable(const Table& table, std::string_view csv) {
    const Table expected = studentsTable();
    FUZZ_CHECK(table.name == expected.name);
    FUZZ_CHECK(table.columns.size() == expected.columns.size());
    for (std::size_t i = 0; i < expected.columns.size(); ++i) {
        FUZZ_CHECK(table.columns[i].name == expected.columns[i].name);
        FUZZ_CHECK(table.columns[i].type == expected.columns[i].type);
        FUZZ_CHECK(table.columns[i].maxChars == expected.columns[i].maxChars);
    }
    // The header takes a line and every row at least one more.
    FUZZ_CHECK(table.rows.size() <= lineEnds(csv));
    for (const Row& row : table.rows) {
        FUZZ_CHECK(row.size() == table.columns.size());
        for (std::size_t i = 0; i < row.size(); ++i) {
            if (!row[i]) continue;
            const Column& column = table.columns[i];
            if (column.type == ColumnType::Long) {
                FUZZ_CHECK(std::holds_alternative<std::int32_t>(*row[i]));
                continue;
            }
            const auto* text = std::get_if<std::string>(&*row[i]);
            // CP1251 and UTF-16 grow into at most three bytes of UTF-8 each.
            FUZZ_CHECK(text && text->size() <= 3 * csv.size());
            // What is accepted can be stored: valid UTF-8, short enough, encodable.
            const auto cps = decodeUtf8(*text);
            FUZZ_CHECK(cps);
            FUZZ_CHECK(utf16Length(*cps) <= static_cast<std::size_t>(column.maxChars));
            FUZZ_CHECK(encodeJetText(*cps));
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view csv(reinterpret_cast<const char*>(data), size);
    Table table;
    try {
        table = readStudentsCsv(csv);
    } catch (const CsvError& e) {
        // Any other exception escapes and libFuzzer reports it.
        FUZZ_CHECK(e.line() >= 1 && e.line() <= lineEnds(csv) + 1);
        // A line may have more fields than the table has columns; none has more than the
        // whole file has separator bytes, plus one (UTF-16 keeps each in one byte of its own).
        const auto separators = std::count_if(
            csv.begin(), csv.end(), [](char c) { return c == ',' || c == ';' || c == '\t'; });
        FUZZ_CHECK(e.column() <= static_cast<std::size_t>(separators) + 1);
        FUZZ_CHECK(std::string_view(e.what()).substr(0, 5) == "line ");
        return 0;
    }
    checkTable(table, csv);
    const std::string again = writeCsv(table);
    FUZZ_CHECK(readStudentsCsv(again).rows == table.rows);
    return 0;
}
