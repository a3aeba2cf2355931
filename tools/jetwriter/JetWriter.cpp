#include "JetWriter.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <ctime>
#include <functional>
#include <string_view>

#include "AtomicFile.h"
#include "JetText.h"
#include "Utf8.h"

namespace jetwriter {
namespace {

constexpr std::size_t kPageSize = 4096;
constexpr std::size_t kDataPageHeader = 14;
constexpr std::size_t kMaxRowsPerPage = 255;  // Access never puts more on a page
constexpr std::size_t kMaxRowBytes = kPageSize - kDataPageHeader - 2;
constexpr std::size_t kMaxColumns = 255;  // readers take the column number from one byte
constexpr std::size_t kMaxNameChars = 64;
constexpr std::uint32_t kMaxPages = (1u << 31) / kPageSize;  // Jet4 files end at 2 GiB

constexpr std::size_t kMapRowBytes = 69;  // the only size Access writes
constexpr std::size_t kMapRowsPerPage = 57;
constexpr std::uint32_t kInlineMapReach = (kMapRowBytes - 5) * 8;
constexpr std::uint32_t kWindowPages = (kPageSize - 4) * 8;
constexpr std::size_t kWindowSlots = (kMapRowBytes - 1) / 4;

constexpr std::size_t kTdefHeader = 63;
constexpr std::size_t kColumnEntry = 25;
constexpr std::size_t kTdefContinuation = kPageSize - 8;

constexpr std::uint32_t kCatalogueTdefPage = 2;
constexpr std::uint32_t kTablesId = 0x0F000001;
constexpr std::uint32_t kSystemFlag = 0x80000000;

enum TypeCode : std::uint8_t {
    kInt = 0x03,
    kLong = 0x04,
    kDateTime = 0x08,
    kBinary = 0x09,
    kText = 0x0A,
    kOle = 0x0B,
    kMemo = 0x0C,
};

bool isFixed(std::uint8_t type) {
    return type == kInt || type == kLong || type == kDateTime;
}

void put16(std::string& b, std::size_t at, std::uint32_t v) {
    b[at] = static_cast<char>(v & 0xFF);
    b[at + 1] = static_cast<char>((v >> 8) & 0xFF);
}

void put32(std::string& b, std::size_t at, std::uint32_t v) {
    put16(b, at, v & 0xFFFF);
    put16(b, at + 2, v >> 16);
}

void append16(std::string& b, std::uint32_t v) {
    b.append(2, '\0');
    put16(b, b.size() - 2, v);
}

void append32(std::string& b, std::uint32_t v) {
    b.append(4, '\0');
    put32(b, b.size() - 4, v);
}

std::string le32(std::uint32_t v) {
    std::string b;
    append32(b, v);
    return b;
}

std::string quoted(const std::string& s) {
    return "\"" + s + "\"";
}

// ---- Columns and rows -------------------------------------------------------------------

struct ColumnDef {
    std::string name;  // UTF-8
    std::uint8_t type = kText;
    std::uint16_t length = 0;  // bytes, as the column entry stores it
    std::uint16_t number = 0;
    std::uint16_t varIndex = 0;  // variable columns: slot; fixed ones: variable columns before
    std::uint16_t fixedOffset = 0;
    bool fixed() const { return isFixed(type); }
};

std::vector<ColumnDef> layOut(std::vector<ColumnDef> columns) {
    std::uint16_t vars = 0;
    std::uint16_t fixedEnd = 0;
    for (std::size_t i = 0; i < columns.size(); ++i) {
        ColumnDef& c = columns[i];
        c.number = static_cast<std::uint16_t>(i);
        c.varIndex = vars;
        if (c.fixed()) {
            c.fixedOffset = fixedEnd;
            fixedEnd = static_cast<std::uint16_t>(fixedEnd + c.length);
        } else {
            ++vars;
        }
    }
    return columns;
}

// One value per column, already in stored form; nothing for Null.
using StoredRow = std::vector<std::optional<std::string>>;

// All rows of a table, encoded, back to back.
struct EncodedRows {
    std::string bytes;
    std::vector<std::size_t> ends;

    std::size_t size() const { return ends.size(); }
    std::string_view row(std::size_t i) const {
        const std::size_t begin = i == 0 ? 0 : ends[i - 1];
        return std::string_view(bytes).substr(begin, ends[i] - begin);
    }
};

// Appends one row: column count, fixed area, variable data, then the trailer that readers find
// from the row's end (end of data, variable offsets last first, variable count, null mask).
std::size_t appendRow(EncodedRows& out, const std::vector<ColumnDef>& columns,
                      const StoredRow& values) {
    std::string& b = out.bytes;
    const std::size_t start = b.size();
    append16(b, static_cast<std::uint32_t>(columns.size()));

    std::size_t fixedSize = 0;
    std::size_t varCount = 0;
    for (const ColumnDef& c : columns) {
        if (c.fixed())
            fixedSize = std::max<std::size_t>(fixedSize, c.fixedOffset + c.length);
        else
            ++varCount;
    }
    // Null fixed values keep their bytes: readers find fixed values by offset.
    b.append(fixedSize, '\0');
    for (std::size_t i = 0; i < columns.size(); ++i) {
        if (columns[i].fixed() && values[i])
            b.replace(start + 2 + columns[i].fixedOffset, values[i]->size(), *values[i]);
    }

    if (varCount > 0) {
        std::vector<std::size_t> varOffsets(varCount);
        for (std::size_t i = 0; i < columns.size(); ++i) {
            if (columns[i].fixed()) continue;
            varOffsets[columns[i].varIndex] = b.size() - start;
            if (values[i]) b += *values[i];
        }
        append16(b, static_cast<std::uint32_t>(b.size() - start));
        for (std::size_t k = varCount; k-- > 0;)
            append16(b, static_cast<std::uint32_t>(varOffsets[k]));
        append16(b, static_cast<std::uint32_t>(varCount));
    }

    std::string mask((columns.size() + 7) / 8, '\0');
    for (std::size_t i = 0; i < columns.size(); ++i) {
        if (values[i])
            mask[columns[i].number / 8] |= static_cast<char>(1 << (columns[i].number % 8));
    }
    b += mask;
    out.ends.push_back(b.size());
    return b.size() - start;
}

struct Span {
    std::size_t first = 0;
    std::size_t count = 0;
};

// Fills pages in order, each as full as Access would fill it.
std::vector<Span> packRows(const EncodedRows& rows) {
    std::vector<Span> pages;
    std::size_t used = kDataPageHeader;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const std::size_t need = 2 + rows.row(i).size();
        if (pages.empty() || pages.back().count == kMaxRowsPerPage || used + need > kPageSize) {
            pages.push_back({i, 0});
            used = kDataPageHeader;
        }
        ++pages.back().count;
        used += need;
    }
    return pages;
}

std::string dataPage(std::uint32_t owner, const std::vector<std::string_view>& rows) {
    std::string page(kPageSize, '\0');
    page[0] = 0x01;
    page[1] = 0x01;
    put32(page, 4, owner);
    put16(page, 12, static_cast<std::uint32_t>(rows.size()));
    std::size_t pos = kPageSize;
    std::size_t used = 0;
    // Row 0 ends at the page's end and each next row ends where the one before starts: readers
    // take a row's length from that difference.
    for (std::size_t i = 0; i < rows.size(); ++i) {
        pos -= rows[i].size();
        page.replace(pos, rows[i].size(), rows[i]);
        put16(page, kDataPageHeader + 2 * i, static_cast<std::uint32_t>(pos));
        used += rows[i].size();
    }
    put16(page, 2,
          static_cast<std::uint32_t>(kPageSize - kDataPageHeader - 2 * rows.size() - used));
    return page;
}

// ---- Names and values of the caller's tables ------------------------------------------------

// Case folding for uniqueness checks, as far as Jet's General order folds: ASCII, Latin-1 and
// Cyrillic letters.
std::u32string foldCase(const std::vector<char32_t>& cps) {
    std::u32string out;
    for (char32_t c : cps) {
        if ((c >= U'A' && c <= U'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7))
            c += 0x20;
        else if (c >= 0x410 && c <= 0x42F)
            c += 0x20;
        else if (c >= 0x400 && c <= 0x40F)
            c += 0x50;
        out.push_back(c);
    }
    return out;
}

// Checks a table or column name as Access would accept it; returns its folded form.
std::u32string checkName(const std::string& name, const std::string& what) {
    const auto cps = decodeUtf8(name);
    if (!cps) throw Error(what + ": the name is not valid UTF-8");
    if (cps->empty()) throw Error(what + ": the name is empty");
    if (utf16Length(*cps) > kMaxNameChars)
        throw Error(what + ": the name is longer than " + std::to_string(kMaxNameChars) +
                    " characters");
    if (cps->front() == U' ') throw Error(what + ": the name starts with a space");
    for (char32_t c : *cps) {
        if (c < 0x20 || c == 0x7F || c == U'.' || c == U'!' || c == U'`' || c == U'[' || c == U']')
            throw Error(what +
                        ": the name holds a character not allowed in names (control "
                        "characters and . ! ` [ ])");
    }
    return foldCase(*cps);
}

std::string describeTable(const Table& t) {
    return "table " + quoted(t.name);
}

std::string storedText(const std::string& text, const Column& column, const std::string& where) {
    const auto cps = decodeUtf8(text);
    if (!cps) throw Error(where + ": the text is not valid UTF-8");
    const std::size_t length = utf16Length(*cps);
    if (length > static_cast<std::size_t>(column.maxChars))
        throw Error(where + ": the text is " + std::to_string(length) +
                    " characters long; the column holds " + std::to_string(column.maxChars));
    if (std::find(cps->begin(), cps->end(), U'\0') != cps->end())
        throw Error(where + ": the text holds a NUL character");
    auto bytes = encodeJetText(*cps);
    if (!bytes)
        throw Error(where +
                    ": text that starts with U+FEFF cannot also hold a character "
                    "whose low byte is 0 (such as U+0100)");
    return *bytes;
}

std::vector<ColumnDef> checkColumns(const Table& t) {
    const std::string table = describeTable(t);
    if (t.columns.empty()) throw Error(table + ": a table needs at least one column");
    if (t.columns.size() > kMaxColumns)
        throw Error(table + ": more than " + std::to_string(kMaxColumns) + " columns");
    std::vector<std::u32string> seen;
    std::vector<ColumnDef> defs;
    for (const Column& c : t.columns) {
        const std::string what = table + ", column " + quoted(c.name);
        std::u32string folded = checkName(c.name, what);
        if (std::find(seen.begin(), seen.end(), folded) != seen.end())
            throw Error(what + ": two columns have this name");
        seen.push_back(std::move(folded));
        ColumnDef d;
        d.name = c.name;
        if (c.type == ColumnType::Long) {
            d.type = kLong;
            d.length = 4;
        } else {
            if (c.maxChars < 1 || c.maxChars > 255)
                throw Error(what + ": a text column holds 1 to 255 characters, not " +
                            std::to_string(c.maxChars));
            d.type = kText;
            d.length = static_cast<std::uint16_t>(2 * c.maxChars);  // stored in bytes
        }
        defs.push_back(std::move(d));
    }
    return layOut(std::move(defs));
}

EncodedRows encodeRows(const Table& t, const std::vector<ColumnDef>& defs) {
    EncodedRows out;
    StoredRow stored(t.columns.size());
    for (std::size_t r = 0; r < t.rows.size(); ++r) {
        const Row& row = t.rows[r];
        const std::string rowName = describeTable(t) + ", row " + std::to_string(r + 1);
        if (row.size() != t.columns.size())
            throw Error(rowName + ": " + std::to_string(row.size()) + " values for " +
                        std::to_string(t.columns.size()) + " columns");
        for (std::size_t c = 0; c < row.size(); ++c) {
            const Column& column = t.columns[c];
            const std::string where = rowName + ", column " + quoted(column.name);
            stored[c].reset();
            if (!row[c]) continue;
            if (column.type == ColumnType::Long) {
                const auto* v = std::get_if<std::int32_t>(&*row[c]);
                if (!v) throw Error(where + ": text given for a LONG column");
                stored[c] = le32(static_cast<std::uint32_t>(*v));
            } else {
                const auto* s = std::get_if<std::string>(&*row[c]);
                if (!s) throw Error(where + ": a number given for a TEXT column");
                stored[c] = storedText(*s, column, where);
            }
        }
        const std::size_t length = appendRow(out, defs, stored);
        if (length > kMaxRowBytes)
            throw Error(rowName + ": the row takes " + std::to_string(length) + " bytes; at most " +
                        std::to_string(kMaxRowBytes) + " fit a page");
    }
    return out;
}

// ---- The file's layout -----------------------------------------------------------------------

struct TablePlan {
    std::string name;
    bool system = false;
    std::vector<ColumnDef> columns;
    EncodedRows rows;
    std::vector<Span> spans;

    std::uint32_t tdefPage = 0;
    std::uint32_t tdefPageCount = 0;
    std::uint32_t firstDataPage = 0;
    std::size_t usedMapRow = 0;  // index among all map rows; the free map follows it
    // Type-1 used map: one bitmap page per window that holds a data page.
    std::vector<std::pair<std::uint32_t, std::uint32_t>> windows;  // window, its bitmap page

    std::uint32_t dataPageCount() const { return static_cast<std::uint32_t>(spans.size()); }
};

std::size_t tdefLength(const std::vector<ColumnDef>& columns) {
    std::size_t n = kTdefHeader + kColumnEntry * columns.size() + 2;
    for (const ColumnDef& c : columns) n += 2 + 2 * utf16Length(*decodeUtf8(c.name));
    return n;
}

std::uint32_t tdefPagesFor(std::size_t length) {
    if (length <= kPageSize) return 1;
    return static_cast<std::uint32_t>(1 + (length - kPageSize + kTdefContinuation - 1) /
                                              kTdefContinuation);
}

std::string utf16leName(const std::string& utf8) {
    std::string out;
    const std::vector<char32_t> cps = decodeUtf8(utf8).value();
    for (char32_t cp : cps) {
        auto unit = [&](std::uint32_t u) { append16(out, u); };
        if (cp >= 0x10000) {
            unit(0xD800 + ((cp - 0x10000) >> 10));
            unit(0xDC00 + ((cp - 0x10000) & 0x3FF));
        } else {
            unit(cp);
        }
    }
    return out;
}

std::uint32_t pgRow(std::uint32_t page, std::size_t row) {
    return (page << 8) | static_cast<std::uint32_t>(row);
}

// The table definition as one buffer (the page header of its first page included).
std::string tdefBytes(const TablePlan& t, std::uint32_t usedMap, std::uint32_t freeMap) {
    std::string b(kTdefHeader, '\0');
    b[0] = 0x02;
    b[1] = 0x01;
    put32(b, 12, 0x0659);
    put32(b, 16, static_cast<std::uint32_t>(t.rows.size()));
    b[24] = 0x01;
    b[40] = t.system ? 0x53 : 0x4E;
    std::uint32_t varCount = 0;
    for (const ColumnDef& c : t.columns) varCount += c.fixed() ? 0 : 1;
    put16(b, 41, static_cast<std::uint32_t>(t.columns.size()));
    put16(b, 43, varCount);
    put16(b, 45, static_cast<std::uint32_t>(t.columns.size()));
    put32(b, 55, usedMap);
    put32(b, 59, freeMap);

    for (const ColumnDef& c : t.columns) {
        std::string e(kColumnEntry, '\0');
        e[0] = static_cast<char>(c.type);
        put32(e, 1, 0x0659);
        put16(e, 5, c.number);
        put16(e, 7, c.varIndex);
        put16(e, 9, c.number);
        put16(e, 11, 0x0409);  // General sort order
        e[15] = c.fixed() ? 0x03 : 0x02;
        e[16] = (c.type == kText || c.type == kMemo) ? 0x01 : 0x00;  // compression allowed
        put16(e, 21, c.fixed() ? c.fixedOffset : 0);
        put16(e, 23, c.length);
        b += e;
    }
    for (const ColumnDef& c : t.columns) {
        const std::string name = utf16leName(c.name);
        append16(b, static_cast<std::uint32_t>(name.size()));
        b += name;
    }
    b += "\xFF\xFF";
    put32(b, 8, static_cast<std::uint32_t>(b.size()));
    return b;
}

// Splits a table definition over its pages: the first page in full, then 4088 bytes a page.
std::vector<std::string> tdefPages(const std::string& tdef, std::uint32_t firstPage) {
    std::vector<std::string> pages;
    std::size_t pos = 0;
    while (pos < tdef.size() || pages.empty()) {
        std::string page(kPageSize, '\0');
        std::size_t take;
        if (pages.empty()) {
            take = std::min(kPageSize, tdef.size());
            page.replace(0, take, tdef.substr(0, take));
        } else {
            take = std::min(kTdefContinuation, tdef.size() - pos);
            page[0] = 0x02;
            page[1] = 0x01;
            page.replace(8, take, tdef.substr(pos, take));
        }
        pos += take;
        const std::size_t usedBytes = pages.empty() ? take : 8 + take;
        const std::size_t unused = kPageSize - usedBytes;
        put16(page, 2, static_cast<std::uint32_t>(unused > 8 ? unused - 8 : 0));
        put32(page, 4, 0);
        if (!pages.empty())
            put32(pages.back(), 4, firstPage + static_cast<std::uint32_t>(pages.size()));
        pages.push_back(std::move(page));
    }
    return pages;
}

std::string inlineMap(std::uint32_t start, std::uint32_t first, std::uint32_t count) {
    std::string row(kMapRowBytes, '\0');
    put32(row, 1, start);
    for (std::uint32_t p = first; p < first + count; ++p) {
        const std::uint32_t bit = p - start;
        row[5 + bit / 8] |= static_cast<char>(1 << (bit % 8));
    }
    return row;
}

std::string referenceMap(const TablePlan& t) {
    std::string row(kMapRowBytes, '\0');
    row[0] = 0x01;
    for (const auto& [window, page] : t.windows) put32(row, 1 + 4 * window, page);
    return row;
}

std::string usedMapRow(const TablePlan& t) {
    if (t.windows.empty()) return inlineMap(t.firstDataPage, t.firstDataPage, t.dataPageCount());
    return referenceMap(t);
}

std::string bitmapPage(std::uint32_t window, std::uint32_t first, std::uint32_t count) {
    std::string page(kPageSize, '\0');
    page[0] = 0x05;
    page[1] = 0x01;
    const std::uint32_t base = window * kWindowPages;
    const std::uint32_t from = std::max(first, base);
    const std::uint32_t to = std::min(first + count, base + kWindowPages);
    for (std::uint32_t p = from; p < to; ++p) {
        const std::uint32_t bit = p - base;
        page[4 + bit / 8] |= static_cast<char>(1 << (bit % 8));
    }
    return page;
}

// ---- The header page --------------------------------------------------------------------------

class Rc4 {
public:
    explicit Rc4(const std::array<std::uint8_t, 4>& key) {
        for (int i = 0; i < 256; ++i) s_[i] = static_cast<std::uint8_t>(i);
        std::uint8_t j = 0;
        for (int i = 0; i < 256; ++i) {
            j = static_cast<std::uint8_t>(j + s_[i] + key[i % key.size()]);
            std::swap(s_[i], s_[j]);
        }
    }
    std::uint8_t next() {
        i_ = static_cast<std::uint8_t>(i_ + 1);
        j_ = static_cast<std::uint8_t>(j_ + s_[i_]);
        std::swap(s_[i_], s_[j_]);
        return s_[static_cast<std::uint8_t>(s_[i_] + s_[j_])];
    }

private:
    std::array<std::uint8_t, 256> s_{};
    std::uint8_t i_ = 0;
    std::uint8_t j_ = 0;
};

std::string headerPage(double created) {
    std::string page(kPageSize, '\0');
    page[1] = 0x01;
    page.replace(4, 16, std::string("Standard Jet DB\0", 16));
    page[0x14] = 0x01;  // Jet4: 4 KB pages

    static const unsigned char kLead[24] = {0, 1, 0, 0, 1, 1, 0, 0, 2, 0, 0, 0,
                                            3, 0, 0, 0, 4, 0, 0, 0, 5, 0, 0, 0};
    page.replace(0x18, 24, reinterpret_cast<const char*>(kLead), 24);
    put16(page, 0x3C, 1252);
    put32(page, 0x3E, 0);  // no encryption
    // "No password" is the password area masked with the creation date's day number.
    const auto day = static_cast<std::uint32_t>(static_cast<std::int32_t>(std::floor(created)));
    for (int i = 0; i < 10; ++i) put32(page, 0x42 + 4 * i, day);
    put32(page, 0x6E, 0x0409);
    std::uint64_t bits;
    std::memcpy(&bits, &created, sizeof bits);
    put32(page, 0x72, static_cast<std::uint32_t>(bits));
    put32(page, 0x76, static_cast<std::uint32_t>(bits >> 32));

    Rc4 rc4({0xC7, 0xDA, 0x39, 0x6B});
    for (std::size_t i = 0x18; i < 0x98; ++i) page[i] = static_cast<char>(page[i] ^ rc4.next());
    return page;
}

std::int64_t daysFromCivil(std::int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

// Jet keeps local wall-clock time as days since 1899-12-30, the time of day as the fraction.
double jetDate(std::chrono::system_clock::time_point tp) {
    const std::time_t t = std::chrono::system_clock::to_time_t(tp);
    std::tm lt{};
    localtime_r(&t, &lt);
    const std::int64_t days = daysFromCivil(lt.tm_year + 1900, static_cast<unsigned>(lt.tm_mon + 1),
                                            static_cast<unsigned>(lt.tm_mday)) -
                              daysFromCivil(1899, 12, 30);
    return static_cast<double>(days) + (lt.tm_hour * 3600 + lt.tm_min * 60 + lt.tm_sec) / 86400.0;
}

// ---- The catalogue ------------------------------------------------------------------------------

std::vector<ColumnDef> catalogueColumns() {
    const auto col = [](const char* name, std::uint8_t type, std::uint16_t length) {
        ColumnDef c;
        c.name = name;
        c.type = type;
        c.length = length;
        return c;
    };
    return layOut({
        col("Id", kLong, 4),
        col("ParentId", kLong, 4),
        col("Name", kText, 510),
        col("Type", kInt, 2),
        col("DateCreate", kDateTime, 8),
        col("DateUpdate", kDateTime, 8),
        col("Owner", kBinary, 510),
        col("Flags", kLong, 4),
        col("Database", kMemo, 0),
        col("Connect", kMemo, 0),
        col("ForeignName", kText, 510),
        col("RmtInfoShort", kBinary, 510),
        col("RmtInfoLong", kOle, 0),
        col("Lv", kOle, 0),
        col("LvProp", kOle, 0),
        col("LvModule", kOle, 0),
        col("LvExtra", kOle, 0),
    });
}

struct CatalogueEntry {
    std::string name;
    std::uint32_t id;
    std::uint32_t parentId;
    std::uint16_t type;
    std::uint32_t flags;
};

EncodedRows catalogueRows(const std::vector<ColumnDef>& columns,
                          const std::vector<CatalogueEntry>& entries, double created) {
    std::uint64_t dateBits;
    std::memcpy(&dateBits, &created, sizeof dateBits);
    std::string date = le32(static_cast<std::uint32_t>(dateBits)) +
                       le32(static_cast<std::uint32_t>(dateBits >> 32));
    EncodedRows rows;
    for (const CatalogueEntry& e : entries) {
        StoredRow v(columns.size());
        v[0] = le32(e.id);
        v[1] = le32(e.parentId);
        v[2] = *encodeJetText(*decodeUtf8(e.name));
        v[3] = std::string{static_cast<char>(e.type & 0xFF), static_cast<char>(e.type >> 8)};
        v[4] = date;
        v[5] = date;
        v[7] = le32(e.flags);
        appendRow(rows, columns, v);
    }
    return rows;
}

std::vector<CatalogueEntry> catalogueEntries(const std::vector<TablePlan>& userTables) {
    std::vector<CatalogueEntry> entries = {
        {"Tables", kTablesId, 0x0F000000, 3, kSystemFlag},
        {"Databases", 0x0F000002, 0x0F000000, 3, kSystemFlag},
        {"Relationships", 0x0F000003, 0x0F000000, 3, kSystemFlag},
        {"MSysObjects", kCatalogueTdefPage, kTablesId, 1, kSystemFlag},
    };
    for (const TablePlan& t : userTables) entries.push_back({t.name, t.tdefPage, kTablesId, 1, 0});
    return entries;
}

// ---- Putting it together ------------------------------------------------------------------------

using PageSink = std::function<void(std::string_view)>;

void checkTables(const std::vector<Table>& tables) {
    std::vector<std::u32string> seen;
    for (const Table& t : tables) {
        std::u32string folded = checkName(t.name, describeTable(t));
        if (folded.rfind(U"msys", 0) == 0)
            throw Error(describeTable(t) +
                        ": names starting with MSys are kept for the "
                        "database's own tables");
        if (std::find(seen.begin(), seen.end(), folded) != seen.end())
            throw Error(describeTable(t) + ": two tables have this name");
        seen.push_back(std::move(folded));
    }
}

void emitDatabase(const std::vector<Table>& tables, const Options& options, const PageSink& emit) {
    checkTables(tables);
    std::vector<TablePlan> users;
    users.reserve(tables.size());
    for (const Table& t : tables) {
        TablePlan p;
        p.name = t.name;
        p.columns = checkColumns(t);
        p.rows = encodeRows(t, p.columns);
        p.spans = packRows(p.rows);
        p.tdefPageCount = tdefPagesFor(tdefLength(p.columns));
        users.push_back(std::move(p));
    }
    const double created = jetDate(options.created.value_or(std::chrono::system_clock::now()));

    TablePlan catalogue;
    catalogue.name = "MSysObjects";
    catalogue.system = true;
    catalogue.columns = catalogueColumns();
    catalogue.tdefPageCount = 1;
    // Row sizes do not depend on the ids, so a first packing gives the page count.
    catalogue.spans = packRows(catalogueRows(catalogue.columns, catalogueEntries(users), created));

    // Page plan: header, first map page, catalogue, further map pages, then each table's
    // definition and data pages, and last the bitmap pages of large tables' used maps.
    const std::size_t mapRows = 2 + 2 * (1 + users.size());
    const std::size_t mapPageCount = (mapRows + kMapRowsPerPage - 1) / kMapRowsPerPage;
    std::uint64_t next = 1;
    std::vector<std::uint32_t> mapPages = {static_cast<std::uint32_t>(next++)};
    auto place = [&](TablePlan& t) {
        t.tdefPage = static_cast<std::uint32_t>(next);
        next += t.tdefPageCount;
        t.firstDataPage = static_cast<std::uint32_t>(next);
        next += t.dataPageCount();
    };
    place(catalogue);
    for (std::size_t i = 1; i < mapPageCount; ++i)
        mapPages.push_back(static_cast<std::uint32_t>(next++));
    for (TablePlan& t : users) place(t);

    std::vector<TablePlan*> all = {&catalogue};
    for (TablePlan& t : users) all.push_back(&t);
    for (std::size_t i = 0; i < all.size(); ++i) {
        TablePlan& t = *all[i];
        t.usedMapRow = 2 + 2 * i;
        if (t.dataPageCount() < kInlineMapReach) continue;
        const std::uint32_t last = t.firstDataPage + t.dataPageCount() - 1;
        for (std::uint32_t w = t.firstDataPage / kWindowPages; w <= last / kWindowPages; ++w) {
            if (w >= kWindowSlots) break;  // past 2 GiB; refused below
            t.windows.emplace_back(w, static_cast<std::uint32_t>(next++));
        }
    }
    if (next > kMaxPages)
        throw Error("the database would take " + std::to_string(next * kPageSize / (1 << 20)) +
                    " MiB; an Access 2000 file holds at most 2048 MiB");
    const auto total = static_cast<std::uint32_t>(next);

    auto mapPointer = [&](std::size_t row) {
        return pgRow(mapPages[row / kMapRowsPerPage], row % kMapRowsPerPage);
    };

    // The map rows, in order.
    std::vector<std::string> maps;
    maps.push_back(total < kInlineMapReach ? inlineMap(0, total, kInlineMapReach - total)
                                           : inlineMap(0, 0, 0));
    maps.push_back(inlineMap(0, 0, 0));
    for (TablePlan* t : all) {
        maps.push_back(usedMapRow(*t));
        maps.push_back(inlineMap(0, 0, 0));  // no page has room: inserts take new pages
    }

    auto emitTable = [&](const TablePlan& t, const EncodedRows& rows) {
        const std::string tdef =
            tdefBytes(t, mapPointer(t.usedMapRow), mapPointer(t.usedMapRow + 1));
        for (const std::string& page : tdefPages(tdef, t.tdefPage)) emit(page);
        for (const Span& s : t.spans) {
            std::vector<std::string_view> pageRows;
            for (std::size_t i = s.first; i < s.first + s.count; ++i)
                pageRows.push_back(rows.row(i));
            emit(dataPage(t.tdefPage, pageRows));
        }
    };
    auto emitMapPage = [&](std::size_t index) {
        std::vector<std::string_view> rows;
        for (std::size_t r = index * kMapRowsPerPage;
             r < std::min(maps.size(), (index + 1) * kMapRowsPerPage); ++r)
            rows.push_back(maps[r]);
        emit(dataPage(index == 0 ? 1 : 0, rows));
    };

    emit(headerPage(created));
    emitMapPage(0);
    catalogue.rows = catalogueRows(catalogue.columns, catalogueEntries(users), created);
    emitTable(catalogue, catalogue.rows);
    for (std::size_t i = 1; i < mapPageCount; ++i) emitMapPage(i);
    for (const TablePlan& t : users) emitTable(t, t.rows);
    for (const TablePlan* t : all) {
        for (const auto& [window, page] : t->windows)
            emit(bitmapPage(window, t->firstDataPage, t->dataPageCount()));
    }
}

}  // namespace

void writeDatabase(const std::filesystem::path& path, const std::vector<Table>& tables,
                   const Options& options) {
    // Check and lay out everything before the file exists, so bad input leaves nothing behind.
    std::optional<AtomicFile> file;
    emitDatabase(tables, options, [&](std::string_view page) {
        if (!file) file.emplace(path);
        file->write(page);
    });
    file->commit();
}

std::string databaseBytes(const std::vector<Table>& tables, const Options& options) {
    std::string out;
    emitDatabase(tables, options, [&](std::string_view page) { out += page; });
    return out;
}

}  // namespace jetwriter
