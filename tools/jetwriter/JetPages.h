#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// The building blocks of a Jet4 file, each made as bytes: rows, data pages, table definitions,
// usage maps and the header page. Where each goes is decided by the writer.
namespace jetwriter::jet {

constexpr std::size_t kPageSize = 4096;
constexpr std::size_t kDataPageHeader = 14;
constexpr std::size_t kMaxRowsPerPage = 255;  // Access never puts more on a page
constexpr std::size_t kMaxRowBytes = kPageSize - kDataPageHeader - 2;
constexpr std::uint32_t kMaxPages = (1u << 31) / kPageSize;  // Jet4 files end at 2 GiB

constexpr std::size_t kMapRowBytes = 69;  // the only size Access writes
constexpr std::size_t kMapRowsPerPage = 57;
constexpr std::uint32_t kInlineMapReach = (kMapRowBytes - 5) * 8;
constexpr std::uint32_t kWindowPages = (kPageSize - 4) * 8;
constexpr std::size_t kWindowSlots = (kMapRowBytes - 1) / 4;

enum TypeCode : std::uint8_t {
    kInt = 0x03,
    kLong = 0x04,
    kDateTime = 0x08,
    kBinary = 0x09,
    kText = 0x0A,
    kOle = 0x0B,
    kMemo = 0x0C,
};

struct ColumnDef {
    std::string name;  // UTF-8
    std::uint8_t type = kText;
    std::uint16_t length = 0;  // bytes, as the column entry stores it
    std::uint16_t number = 0;
    std::uint16_t varIndex = 0;  // variable columns: slot; fixed ones: variable columns before
    std::uint16_t fixedOffset = 0;
    bool fixed() const;
};

// Numbers the columns in order and gives each its place in a row.
std::vector<ColumnDef> layOut(std::vector<ColumnDef> columns);

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

// Appends one row and returns its length.
std::size_t appendRow(EncodedRows& out, const std::vector<ColumnDef>& columns,
                      const StoredRow& values);

struct Span {
    std::size_t first = 0;
    std::size_t count = 0;
};

// Which rows go on which data page, in order.
std::vector<Span> packRows(const EncodedRows& rows);

// A data page (type 1) owned by the table whose definition starts at page `owner`.
std::string dataPage(std::uint32_t owner, const std::vector<std::string_view>& rows);

// A table definition as one buffer, the first page's header included; tableDefinitionPages
// spreads it over pages starting at `firstPage`.
std::string tableDefinition(const std::vector<ColumnDef>& columns, bool system,
                            std::uint32_t rowCount, std::uint32_t usedMap, std::uint32_t freeMap);
std::vector<std::string> tableDefinitionPages(const std::string& tdef, std::uint32_t firstPage);
std::uint32_t tableDefinitionPageCount(const std::vector<ColumnDef>& columns);

// A pointer to row `row` of page `page`.
std::uint32_t pgRow(std::uint32_t page, std::size_t row);

// A usage map row of the inline kind: pages first .. first+count-1, counted from `start`.
std::string inlineMap(std::uint32_t start, std::uint32_t first, std::uint32_t count);

// A usage map row of the reference kind: the bitmap page of each window that has one.
std::string referenceMap(const std::vector<std::pair<std::uint32_t, std::uint32_t>>& windows);

// The bitmap page for `window` marking pages first .. first+count-1 that fall in it.
std::string bitmapPage(std::uint32_t window, std::uint32_t first, std::uint32_t count);

// Page 0, with no encryption and no password.
std::string headerPage(double created);

// A time as Jet stores it: local time in days since 1899-12-30, the time of day as fraction.
double jetDate(std::chrono::system_clock::time_point tp);

std::string le16(std::uint32_t v);
std::string le32(std::uint32_t v);
std::string leDouble(double v);

}  // namespace jetwriter::jet
