#include "JetPages.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <ctime>

#include "Utf8.h"

namespace jetwriter::jet {
namespace {

constexpr std::size_t kTdefHeader = 63;
constexpr std::size_t kColumnEntry = 25;
constexpr std::size_t kTdefContinuation = kPageSize - 8;
constexpr std::uint32_t kAccessMagic = 0x0659;

void put16(std::string& b, std::size_t at, std::uint32_t v) {
    b[at] = static_cast<char>(v & 0xFF);
    b[at + 1] = static_cast<char>((v >> 8) & 0xFF);
}

void put32(std::string& b, std::size_t at, std::uint32_t v) {
    put16(b, at, v & 0xFFFF);
    put16(b, at + 2, v >> 16);
}

void setBit(std::string& b, std::size_t firstByte, std::uint32_t bit) {
    b[firstByte + bit / 8] |= static_cast<char>(1 << (bit % 8));
}

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

std::int64_t daysFromCivil(std::int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const auto yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

}  // namespace

std::string le16(std::uint32_t v) {
    std::string b(2, '\0');
    put16(b, 0, v);
    return b;
}

std::string le32(std::uint32_t v) {
    std::string b(4, '\0');
    put32(b, 0, v);
    return b;
}

std::string leDouble(double v) {
    std::uint64_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    return le32(static_cast<std::uint32_t>(bits)) + le32(static_cast<std::uint32_t>(bits >> 32));
}

bool ColumnDef::fixed() const {
    return type == kInt || type == kLong || type == kDateTime;
}

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

// Column count, fixed area, variable data, then the trailer that readers find from the row's
// end: end of data, variable offsets last first, variable count, null mask.
std::size_t appendRow(EncodedRows& out, const std::vector<ColumnDef>& columns,
                      const StoredRow& values) {
    std::string& b = out.bytes;
    const std::size_t start = b.size();
    b += le16(static_cast<std::uint32_t>(columns.size()));

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
        b += le16(static_cast<std::uint32_t>(b.size() - start));
        for (std::size_t k = varCount; k-- > 0;)
            b += le16(static_cast<std::uint32_t>(varOffsets[k]));
        b += le16(static_cast<std::uint32_t>(varCount));
    }

    std::string mask((columns.size() + 7) / 8, '\0');
    for (std::size_t i = 0; i < columns.size(); ++i) {
        if (values[i]) setBit(mask, 0, columns[i].number);
    }
    b += mask;
    out.ends.push_back(b.size());
    return b.size() - start;
}

// Each page as full as Access would fill it.
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

std::string tableDefinition(const std::vector<ColumnDef>& columns, bool system,
                            std::uint32_t rowCount, std::uint32_t usedMap, std::uint32_t freeMap) {
    std::string b(kTdefHeader, '\0');
    b[0] = 0x02;
    b[1] = 0x01;
    put32(b, 12, kAccessMagic);
    put32(b, 16, rowCount);
    b[24] = 0x01;
    b[40] = system ? 0x53 : 0x4E;
    std::uint32_t varCount = 0;
    for (const ColumnDef& c : columns) varCount += c.fixed() ? 0 : 1;
    put16(b, 41, static_cast<std::uint32_t>(columns.size()));
    put16(b, 43, varCount);
    put16(b, 45, static_cast<std::uint32_t>(columns.size()));
    put32(b, 55, usedMap);
    put32(b, 59, freeMap);

    for (const ColumnDef& c : columns) {
        std::string e(kColumnEntry, '\0');
        e[0] = static_cast<char>(c.type);
        put32(e, 1, kAccessMagic);
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
    for (const ColumnDef& c : columns) {
        const std::u16string name = toUtf16(decodeUtf8(c.name).value());
        b += le16(static_cast<std::uint32_t>(2 * name.size()));
        for (char16_t u : name) b += le16(u);
    }
    b += "\xFF\xFF";
    put32(b, 8, static_cast<std::uint32_t>(b.size()));
    return b;
}

// The first page holds the start in full, each further page 4088 bytes after its own header.
std::vector<std::string> tableDefinitionPages(const std::string& tdef, std::uint32_t firstPage) {
    std::vector<std::string> pages;
    std::size_t pos = 0;
    while (pos < tdef.size() || pages.empty()) {
        std::string page(kPageSize, '\0');
        std::size_t used;
        if (pages.empty()) {
            used = std::min(kPageSize, tdef.size());
            page.replace(0, used, tdef.substr(0, used));
            pos = used;
        } else {
            const std::size_t take = std::min(kTdefContinuation, tdef.size() - pos);
            page[0] = 0x02;
            page[1] = 0x01;
            page.replace(8, take, tdef.substr(pos, take));
            pos += take;
            used = 8 + take;
            put32(pages.back(), 4, firstPage + static_cast<std::uint32_t>(pages.size()));
        }
        const std::size_t unused = kPageSize - used;
        put16(page, 2, static_cast<std::uint32_t>(unused > 8 ? unused - 8 : 0));
        put32(page, 4, 0);
        pages.push_back(std::move(page));
    }
    return pages;
}

std::uint32_t tableDefinitionPageCount(const std::vector<ColumnDef>& columns) {
    const std::size_t length = tableDefinition(columns, false, 0, 0, 0).size();
    if (length <= kPageSize) return 1;
    return static_cast<std::uint32_t>(1 + (length - kPageSize + kTdefContinuation - 1) /
                                              kTdefContinuation);
}

std::uint32_t pgRow(std::uint32_t page, std::size_t row) {
    return (page << 8) | static_cast<std::uint32_t>(row);
}

std::string inlineMap(std::uint32_t start, std::uint32_t first, std::uint32_t count) {
    std::string row(kMapRowBytes, '\0');
    put32(row, 1, start);
    for (std::uint32_t p = first; p < first + count; ++p) setBit(row, 5, p - start);
    return row;
}

std::string referenceMap(const std::vector<std::pair<std::uint32_t, std::uint32_t>>& windows) {
    std::string row(kMapRowBytes, '\0');
    row[0] = 0x01;
    for (const auto& [window, page] : windows) put32(row, 1 + 4 * window, page);
    return row;
}

std::string bitmapPage(std::uint32_t window, std::uint32_t first, std::uint32_t count) {
    std::string page(kPageSize, '\0');
    page[0] = 0x05;
    page[1] = 0x01;
    // Bits count from the window's first page number, not from the table's first page.
    const std::uint32_t base = window * kWindowPages;
    const std::uint32_t from = std::max(first, base);
    const std::uint32_t to = std::min(first + count, base + kWindowPages);
    for (std::uint32_t p = from; p < to; ++p) setBit(page, 4, p - base);
    return page;
}

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
    page.replace(0x72, 8, leDouble(created));

    // Readers unmask this region before they look at it.
    Rc4 rc4({0xC7, 0xDA, 0x39, 0x6B});
    for (std::size_t i = 0x18; i < 0x98; ++i) page[i] = static_cast<char>(page[i] ^ rc4.next());
    return page;
}

double jetDate(std::chrono::system_clock::time_point tp) {
    const std::time_t t = std::chrono::system_clock::to_time_t(tp);
    std::tm lt{};
    localtime_r(&t, &lt);
    const std::int64_t days = daysFromCivil(lt.tm_year + 1900, static_cast<unsigned>(lt.tm_mon + 1),
                                            static_cast<unsigned>(lt.tm_mday)) -
                              daysFromCivil(1899, 12, 30);
    return static_cast<double>(days) + (lt.tm_hour * 3600 + lt.tm_min * 60 + lt.tm_sec) / 86400.0;
}

}  // namespace jetwriter::jet
