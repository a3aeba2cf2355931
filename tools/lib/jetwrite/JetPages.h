#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// The building blocks of a Jet file, each made as bytes: rows, data pages, table definitions,
// usage maps and the header page. Where each goes is decided by the writer.
namespace jetwriter::jet {

constexpr std::size_t kMaxRowsPerPage = 255;  // Access never puts more on a page

// What differs between Access 97 (Jet3), Access 2000 (Jet4) and Access 2007 (ACE) files.
struct PageFormat {
    bool jet3 = false;
    std::uint8_t version = 1;  // header byte 0x14
    std::size_t pageSize = 4096;
    std::size_t dataHeader = 14;  // the row offsets start here; the row count is 2 bytes before
    std::size_t mapRowBytes = 69;
    std::uint32_t maxPages = (1u << 31) / 4096;
    std::uint16_t codePage = 1252;

    std::size_t maxRowBytes() const { return pageSize - dataHeader - 2; }
    std::uint32_t inlineMapReach() const {
        return static_cast<std::uint32_t>((mapRowBytes - 5) * 8);
    }
    std::uint32_t windowPages() const { return static_cast<std::uint32_t>((pageSize - 4) * 8); }
    std::size_t windowSlots() const { return (mapRowBytes - 1) / 4; }
    std::size_t mapRowsPerPage() const { return (pageSize - dataHeader) / (mapRowBytes + 2); }
};

PageFormat jet3Format(std::uint16_t codePage);
PageFormat jet4Format();
PageFormat aceFormat();

enum TypeCode : std::uint8_t {
    kBoolean = 0x01,
    kByte = 0x02,
    kInt = 0x03,
    kLong = 0x04,
    kMoney = 0x05,
    kFloat = 0x06,
    kDouble = 0x07,
    kDateTime = 0x08,
    kBinary = 0x09,
    kText = 0x0A,
    kOle = 0x0B,
    kMemo = 0x0C,
    kNumeric = 0x10,
};

// Row offset flags, in the top bits of a data page's row offset.
constexpr std::uint16_t kPointerFlag = 0x4000;   // alone: the row holds a pointer to moved data
constexpr std::uint16_t kOverflowFlag = 0x8000;  // alone: moved data, reached by pointer only
constexpr std::uint16_t kDeletedFlags = 0xC000;

struct ColumnDef {
    std::string storedName;  // as the format stores names: UCS-2LE, or bytes in the code page
    std::uint8_t type = kText;
    std::uint16_t length = 0;  // bytes, as the column entry stores it
    std::uint8_t precision = 0;
    std::uint8_t scale = 0;
    std::uint16_t number = 0;
    std::uint16_t varIndex = 0;  // variable columns: slot; fixed ones: variable columns before
    std::uint16_t fixedOffset = 0;
    bool calculated = false;  // its values are wrapped, so it is variable whatever its type
    bool fixed() const;
};

// The bytes a fixed column of this type takes (Boolean: none, its value is its null-mask bit).
std::uint16_t fixedLength(std::uint8_t type);

// Numbers the columns in order and gives each its place in a row.
std::vector<ColumnDef> layOut(std::vector<ColumnDef> columns);

// One value per column, already in stored form; nothing for Null (and for a Boolean No).
using StoredRow = std::vector<std::optional<std::string>>;

// One row in the format's layout, or nothing when a Jet3 row has more variable columns than
// its one-byte offsets can be made to address.
std::optional<std::string> encodeRow(const PageFormat& f, const std::vector<ColumnDef>& columns,
                                     const StoredRow& values);

// The rows of a data page with their offset flags.
struct PageRows {
    std::vector<std::string> rows;
    std::vector<std::uint16_t> flags;
    std::size_t used = 0;  // row bytes plus their offsets
};

// Fills data pages in order, each as full as Access would fill it.
class PagePacker {
public:
    explicit PagePacker(const PageFormat& f) : f_(f) {}
    // Adds a row (at most maxRowBytes long) and returns its page index and row number.
    std::pair<std::size_t, std::size_t> add(std::string row, std::uint16_t flags = 0);
    // Sets a row's bytes once what it points to is known; the length must stay.
    void replace(std::size_t page, std::size_t row, std::string bytes);
    const std::vector<PageRows>& pages() const { return pages_; }

private:
    PageFormat f_;
    std::vector<PageRows> pages_;
};

// A data page (type 1) owned by the table whose definition starts at page `owner`; long-value
// pages carry the tag LVAL there instead.
std::string dataPage(const PageFormat& f, std::uint32_t owner, const PageRows& rows);
constexpr std::uint32_t kLvalOwner = 0x4C41564C;  // "LVAL"

// A table definition as one buffer, the first page's header included; tableDefinitionPages
// spreads it over pages starting at `firstPage`.
std::string tableDefinition(const PageFormat& f, const std::vector<ColumnDef>& columns, bool system,
                            std::uint32_t rowCount, std::uint32_t usedMap, std::uint32_t freeMap);
std::vector<std::string> tableDefinitionPages(const PageFormat& f, const std::string& tdef,
                                              std::uint32_t firstPage);
std::uint32_t tableDefinitionPageCount(const PageFormat& f, const std::vector<ColumnDef>& columns);

// A long value (memo or OLE) kept in the row itself: its 12-byte header, then its bytes.
std::string inlineLongValue(const std::string& bytes);

// A pointer to row `row` of page `page`.
std::uint32_t pgRow(std::uint32_t page, std::size_t row);

// A usage map row of the inline kind: pages first .. first+count-1, counted from `start`.
std::string inlineMap(const PageFormat& f, std::uint32_t start, std::uint32_t first,
                      std::uint32_t count);

// A usage map row of the reference kind: the bitmap page of each window that has one.
std::string referenceMap(const PageFormat& f,
                         const std::vector<std::pair<std::uint32_t, std::uint32_t>>& windows);

// The bitmap page for `window` marking pages first .. first+count-1 that fall in it.
std::string bitmapPage(const PageFormat& f, std::uint32_t window, std::uint32_t first,
                       std::uint32_t count);

// Page 0, with no encryption and no password.
std::string headerPage(const PageFormat& f, double created);

// A time as Jet stores it: local time in days since 1899-12-30, the time of day as fraction.
double jetDate(std::chrono::system_clock::time_point tp);

std::string le16(std::uint32_t v);
std::string le32(std::uint32_t v);
std::string le64(std::uint64_t v);
std::string leDouble(double v);
std::string leFloat(float v);

}  // namespace jetwriter::jet
