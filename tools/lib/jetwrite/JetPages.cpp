#include "JetPages.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <ctime>

namespace jetwriter::jet {
namespace {

constexpr std::uint32_t kAccessMagic = 0x0659;
constexpr std::uint16_t kGeneralSortOrder = 0x0409;
constexpr std::uint8_t kCalculatedFlags = 0xC0;  // a column entry's extended flags

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

std::string le64(std::uint64_t v) {
    return le32(static_cast<std::uint32_t>(v)) + le32(static_cast<std::uint32_t>(v >> 32));
}

std::string leDouble(double v) {
    std::uint64_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    return le64(bits);
}

std::string leFloat(float v) {
    std::uint32_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    return le32(bits);
}

PageFormat jet3Format(std::uint16_t codePage) {
    PageFormat f;
    f.jet3 = true;
    f.version = 0;
    f.pageSize = 2048;
    f.dataHeader = 10;
    f.mapRowBytes = 133;  // Jet3 maps carry 128 bytes of bits
    f.maxPages = (1u << 30) / 2048;
    f.codePage = codePage;
    return f;
}

PageFormat jet4Format() {
    return {};
}

PageFormat aceFormat() {
    PageFormat f;
    f.version = 2;
    return f;
}

std::uint16_t fixedLength(std::uint8_t type) {
    switch (type) {
        case kBoolean: return 0;
        case kByte: return 1;
        case kInt: return 2;
        case kLong:
        case kFloat: return 4;
        case kMoney:
        case kDouble:
        case kDateTime: return 8;
        case kNumeric: return 17;
        default: return 0;
    }
}

bool ColumnDef::fixed() const {
    if (calculated) return false;
    switch (type) {
        case kBoolean:
        case kByte:
        case kInt:
        case kLong:
        case kMoney:
        case kFloat:
        case kDouble:
        case kDateTime:
        case kNumeric: return true;
        default: return false;
    }
}

std::vector<ColumnDef> layOut(std::vector<ColumnDef> columns) {
    std::uint16_t vars = 0;
    std::uint16_t fixedEnd = 0;
    for (std::size_t i = 0; i < columns.size(); ++i) {
        ColumnDef& c = columns[i];
        c.number = static_cast<std::uint16_t>(i);
        c.varIndex = vars;
        if (c.fixed()) {
            c.length = fixedLength(c.type);
            c.fixedOffset = c.type == kBoolean ? 0 : fixedEnd;
            fixedEnd = static_cast<std::uint16_t>(fixedEnd + c.length);
        } else {
            ++vars;
        }
    }
    return columns;
}

namespace {

// Jet3 keeps one byte per variable offset; a jump table, just before the variable count, names
// for each further 256 bytes the first offset entry (the end of data counting as the last)
// that lies past them. Its length follows from the row's length, which includes it.
std::optional<std::string> jet3Trailer(std::size_t dataEnd, const std::vector<std::size_t>& offsets,
                                       std::size_t maskBytes) {
    const std::size_t vars = offsets.size();
    const std::size_t base = dataEnd + 1 + vars + 1 + maskBytes;  // all but the jump table
    std::size_t jumps = 0;
    while ((base + jumps - 1) / 256 > jumps) ++jumps;
    // A reader drops one entry that nothing reaches, never two.
    if (jumps > 0 && dataEnd / 256 + 1 < jumps) return std::nullopt;

    std::vector<std::size_t> entries = offsets;  // entry i: variable column i, then the end
    entries.push_back(dataEnd);
    std::string t;
    t.push_back(static_cast<char>(dataEnd & 0xFF));
    for (std::size_t k = vars; k-- > 0;) t.push_back(static_cast<char>(offsets[k] & 0xFF));
    std::string table(jumps, '\xFF');
    for (std::size_t j = 0; j < jumps; ++j) {
        for (std::size_t i = 0; i < entries.size(); ++i) {
            if (entries[i] >= 256 * (j + 1)) {
                table[jumps - 1 - j] = static_cast<char>(i);  // entry 0 sits last
                break;
            }
        }
    }
    t += table;
    t.push_back(static_cast<char>(vars));
    return t;
}

}  // namespace

// Column count, fixed area, variable data, then the trailer that readers find from the row's
// end: end of data, variable offsets last first, variable count, null mask.
std::optional<std::string> encodeRow(const PageFormat& f, const std::vector<ColumnDef>& columns,
                                     const StoredRow& values) {
    std::string b = f.jet3 ? std::string(1, static_cast<char>(columns.size()))
                           : le16(static_cast<std::uint32_t>(columns.size()));
    const std::size_t head = b.size();
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
            b.replace(head + columns[i].fixedOffset, values[i]->size(), *values[i]);
    }

    const std::size_t maskBytes = (columns.size() + 7) / 8;
    if (varCount > 0) {
        std::vector<std::size_t> varOffsets(varCount);
        for (std::size_t i = 0; i < columns.size(); ++i) {
            if (columns[i].fixed()) continue;
            varOffsets[columns[i].varIndex] = b.size();
            if (values[i]) b += *values[i];
        }
        if (f.jet3) {
            const auto trailer = jet3Trailer(b.size(), varOffsets, maskBytes);
            if (!trailer) return std::nullopt;
            b += *trailer;
        } else {
            b += le16(static_cast<std::uint32_t>(b.size()));
            for (std::size_t k = varCount; k-- > 0;)
                b += le16(static_cast<std::uint32_t>(varOffsets[k]));
            b += le16(static_cast<std::uint32_t>(varCount));
        }
    }

    std::string mask(maskBytes, '\0');
    for (std::size_t i = 0; i < columns.size(); ++i) {
        if (values[i]) setBit(mask, 0, columns[i].number);
    }
    return b + mask;
}

std::pair<std::size_t, std::size_t> PagePacker::add(std::string row, std::uint16_t flags) {
    const std::size_t need = 2 + row.size();
    if (pages_.empty() || pages_.back().rows.size() == kMaxRowsPerPage ||
        f_.dataHeader + pages_.back().used + need > f_.pageSize)
        pages_.emplace_back();
    PageRows& page = pages_.back();
    page.rows.push_back(std::move(row));
    page.flags.push_back(flags);
    page.used += need;
    return {pages_.size() - 1, page.rows.size() - 1};
}

void PagePacker::replace(std::size_t page, std::size_t row, std::string bytes) {
    pages_.at(page).rows.at(row) = std::move(bytes);
}

std::string dataPage(const PageFormat& f, std::uint32_t owner, const PageRows& rows) {
    std::string page(f.pageSize, '\0');
    page[0] = 0x01;
    page[1] = 0x01;
    put32(page, 4, owner);
    put16(page, f.dataHeader - 2, static_cast<std::uint32_t>(rows.rows.size()));
    std::size_t pos = f.pageSize;
    std::size_t used = 0;
    // Row 0 ends at the page's end and each next row ends where the one before starts: readers
    // take a row's length from that difference.
    for (std::size_t i = 0; i < rows.rows.size(); ++i) {
        const std::string& row = rows.rows[i];
        pos -= row.size();
        page.replace(pos, row.size(), row);
        put16(page, f.dataHeader + 2 * i, static_cast<std::uint32_t>(pos) | rows.flags[i]);
        used += row.size();
    }
    put16(page, 2,
          static_cast<std::uint32_t>(f.pageSize - f.dataHeader - 2 * rows.rows.size() - used));
    return page;
}

namespace {

std::string jet4TableDefinition(const std::vector<ColumnDef>& columns, bool system,
                                std::uint32_t rowCount, std::uint32_t varCount,
                                std::uint32_t usedMap, std::uint32_t freeMap) {
    std::string b(63, '\0');
    b[0] = 0x02;
    b[1] = 0x01;
    put32(b, 12, kAccessMagic);
    put32(b, 16, rowCount);
    b[24] = 0x01;
    b[40] = system ? 0x53 : 0x4E;
    put16(b, 41, static_cast<std::uint32_t>(columns.size()));
    put16(b, 43, varCount);
    put16(b, 45, static_cast<std::uint32_t>(columns.size()));
    put32(b, 55, usedMap);
    put32(b, 59, freeMap);

    for (const ColumnDef& c : columns) {
        std::string e(25, '\0');
        e[0] = static_cast<char>(c.type);
        put32(e, 1, kAccessMagic);
        put16(e, 5, c.number);
        put16(e, 7, c.varIndex);
        put16(e, 9, c.number);
        if (c.type == kNumeric) {
            e[11] = static_cast<char>(c.precision);
            e[12] = static_cast<char>(c.scale);
        } else {
            put16(e, 11, kGeneralSortOrder);
        }
        e[15] = c.fixed() ? 0x03 : 0x02;
        if (c.calculated)
            e[16] = static_cast<char>(kCalculatedFlags);
        else if (c.type == kText || c.type == kMemo)
            e[16] = 0x01;  // compression allowed
        put16(e, 21, c.fixed() ? c.fixedOffset : 0);
        put16(e, 23, c.length);
        b += e;
    }
    for (const ColumnDef& c : columns) {
        b += le16(static_cast<std::uint32_t>(c.storedName.size()));
        b += c.storedName;
    }
    return b;
}

std::string jet3TableDefinition(const PageFormat& f, const std::vector<ColumnDef>& columns,
                                bool system, std::uint32_t rowCount, std::uint32_t varCount,
                                std::uint32_t usedMap, std::uint32_t freeMap) {
    std::string b(43, '\0');
    b[0] = 0x02;
    b[1] = 0x01;
    b[2] = 'V';
    b[3] = 'C';
    put32(b, 12, rowCount);
    b[20] = system ? 0x53 : 0x4E;
    put16(b, 21, static_cast<std::uint32_t>(columns.size()));
    put16(b, 23, varCount);
    put16(b, 25, static_cast<std::uint32_t>(columns.size()));
    put32(b, 35, usedMap);
    put32(b, 39, freeMap);

    for (const ColumnDef& c : columns) {
        std::string e(18, '\0');
        e[0] = static_cast<char>(c.type);
        put16(e, 1, c.number);
        put16(e, 3, c.varIndex);
        put16(e, 5, c.number);
        put16(e, 7, kGeneralSortOrder);
        if (c.type == kText || c.type == kMemo) put16(e, 9, f.codePage);
        e[13] = c.fixed() ? 0x03 : 0x02;
        put16(e, 14, c.fixed() ? c.fixedOffset : 0);
        put16(e, 16, c.length);
        b += e;
    }
    for (const ColumnDef& c : columns) {
        b.push_back(static_cast<char>(c.storedName.size()));
        b += c.storedName;
    }
    return b;
}

}  // namespace

std::string tableDefinition(const PageFormat& f, const std::vector<ColumnDef>& columns, bool system,
                            std::uint32_t rowCount, std::uint32_t usedMap, std::uint32_t freeMap) {
    std::uint32_t varCount = 0;
    for (const ColumnDef& c : columns) varCount += c.fixed() ? 0 : 1;
    std::string b =
        f.jet3 ? jet3TableDefinition(f, columns, system, rowCount, varCount, usedMap, freeMap)
               : jet4TableDefinition(columns, system, rowCount, varCount, usedMap, freeMap);
    b += "\xFF\xFF";
    put32(b, 8, static_cast<std::uint32_t>(b.size()));
    return b;
}

// The first page holds the start in full, each further page the rest after its own header.
std::vector<std::string> tableDefinitionPages(const PageFormat& f, const std::string& tdef,
                                              std::uint32_t firstPage) {
    const std::size_t continuation = f.pageSize - 8;
    std::vector<std::string> pages;
    std::size_t pos = 0;
    while (pos < tdef.size() || pages.empty()) {
        std::string page(f.pageSize, '\0');
        std::size_t used;
        if (pages.empty()) {
            used = std::min(f.pageSize, tdef.size());
            page.replace(0, used, tdef.substr(0, used));
            pos = used;
        } else {
            const std::size_t take = std::min(continuation, tdef.size() - pos);
            page[0] = 0x02;
            page[1] = 0x01;
            page.replace(8, take, tdef.substr(pos, take));
            pos += take;
            used = 8 + take;
            put32(pages.back(), 4, firstPage + static_cast<std::uint32_t>(pages.size()));
        }
        if (f.jet3) {
            page[2] = 'V';
            page[3] = 'C';
        } else {
            const std::size_t unused = f.pageSize - used;
            put16(page, 2, static_cast<std::uint32_t>(unused > 8 ? unused - 8 : 0));
        }
        put32(page, 4, 0);
        pages.push_back(std::move(page));
    }
    return pages;
}

std::uint32_t tableDefinitionPageCount(const PageFormat& f, const std::vector<ColumnDef>& columns) {
    const std::size_t length = tableDefinition(f, columns, false, 0, 0, 0).size();
    if (length <= f.pageSize) return 1;
    const std::size_t continuation = f.pageSize - 8;
    return static_cast<std::uint32_t>(1 + (length - f.pageSize + continuation - 1) / continuation);
}

std::string inlineLongValue(const std::string& bytes) {
    constexpr std::uint32_t kInline = 0x80u << 24;
    return le32(static_cast<std::uint32_t>(bytes.size()) | kInline) + le32(0) + le32(0) + bytes;
}

std::uint32_t pgRow(std::uint32_t page, std::size_t row) {
    return (page << 8) | static_cast<std::uint32_t>(row);
}

std::string inlineMap(const PageFormat& f, std::uint32_t start, std::uint32_t first,
                      std::uint32_t count) {
    std::string row(f.mapRowBytes, '\0');
    put32(row, 1, start);
    for (std::uint32_t p = first; p < first + count; ++p) setBit(row, 5, p - start);
    return row;
}

std::string referenceMap(const PageFormat& f,
                         const std::vector<std::pair<std::uint32_t, std::uint32_t>>& windows) {
    std::string row(f.mapRowBytes, '\0');
    row[0] = 0x01;
    for (const auto& [window, page] : windows) put32(row, 1 + 4 * window, page);
    return row;
}

std::string bitmapPage(const PageFormat& f, std::uint32_t window, std::uint32_t first,
                       std::uint32_t count) {
    std::string page(f.pageSize, '\0');
    page[0] = 0x05;
    page[1] = 0x01;
    // Bits count from the window's first page number, not from the table's first page.
    const std::uint32_t base = window * f.windowPages();
    const std::uint32_t from = std::max(first, base);
    const std::uint32_t to = std::min(first + count, base + f.windowPages());
    for (std::uint32_t p = from; p < to; ++p) setBit(page, 4, p - base);
    return page;
}

std::string headerPage(const PageFormat& f, double created) {
    std::string page(f.pageSize, '\0');
    page[1] = 0x01;
    page.replace(4, 16,
                 std::string(f.version >= 2 ? "Standard ACE DB\0" : "Standard Jet DB\0", 16));
    page[0x14] = static_cast<char>(f.version);

    put16(page, 0x3C, f.codePage);
    put32(page, 0x3E, 0);  // no encryption
    std::size_t masked = 126;
    if (f.jet3) {
        put16(page, 0x3A, kGeneralSortOrder);
    } else {
        static const unsigned char kLead[24] = {0, 1, 0, 0, 1, 1, 0, 0, 2, 0, 0, 0,
                                                3, 0, 0, 0, 4, 0, 0, 0, 5, 0, 0, 0};
        page.replace(0x18, 24, reinterpret_cast<const char*>(kLead), 24);
        // "No password" is the password area masked with the creation date's day number.
        const auto day = static_cast<std::uint32_t>(static_cast<std::int32_t>(std::floor(created)));
        for (int i = 0; i < 10; ++i) put32(page, 0x42 + 4 * i, day);
        put32(page, 0x6E, kGeneralSortOrder);
        page.replace(0x72, 8, leDouble(created));
        masked = 128;
    }

    // Readers unmask this region before they look at it.
    Rc4 rc4({0xC7, 0xDA, 0x39, 0x6B});
    for (std::size_t i = 0x18; i < 0x18 + masked; ++i)
        page[i] = static_cast<char>(page[i] ^ rc4.next());
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
