#pragma once

#include "JetReader.h"

#include <cstdint>
#include <cstring>
#include <string>

// Little-endian fields of a page or row, and the one way this reader gives up on a file.
namespace jet::reader::detail {

inline std::uint16_t u16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}
inline std::uint32_t u24(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16);
}
inline std::uint32_t u32(const std::uint8_t* p) {
    return u24(p) | (static_cast<std::uint32_t>(p[3]) << 24);
}
inline std::uint64_t u64(const std::uint8_t* p) {
    return u32(p) | (static_cast<std::uint64_t>(u32(p + 4)) << 32);
}

[[noreturn]] inline void damaged(const std::string& detail) {
    throw ReadError(Failure::DamagedData, detail);
}
[[noreturn]] inline void unreadable(const std::string& detail) {
    throw ReadError(Failure::TableUnreadable, detail);
}

// Where the fields lie in each format's pages; Jet3 has 2 KB pages and narrower fields.
struct Format {
    bool jet3 = false;
    std::uint32_t pageSize = 4096;
    std::uint32_t dataRowCount = 12;  // data page: number of row slots
    std::uint32_t dataRowTable = 14;  // data page: first row slot
    std::uint32_t colCountSize = 2;   // row: size of its leading column count

    // Table definition, offsets in the joined buffer.
    std::uint32_t tdNumRows = 16;
    std::uint32_t tdMaxCols = 41;
    std::uint32_t tdNumVarCols = 43;
    std::uint32_t tdNumCols = 45;
    std::uint32_t tdNumRealIdx = 51;
    std::uint32_t tdUsedMap = 55;
    std::uint32_t tdColumns = 63;
    std::uint32_t realIdxSize = 12;

    // Column entry.
    std::uint32_t colEntrySize = 25;
    std::uint32_t colNumber = 5;
    std::uint32_t colVarIndex = 7;
    std::uint32_t colPrecision = 11;
    std::uint32_t colScale = 12;
    std::uint32_t colFlags = 15;
    std::uint32_t colExtFlags = 16;  // Jet4 and later only
    std::uint32_t colFixedOffset = 21;
    std::uint32_t colLength = 23;

    static Format jet4() { return Format{}; }
    static Format jet3Format() {
        Format f;
        f.jet3 = true;
        f.pageSize = 2048;
        f.dataRowCount = 8;
        f.dataRowTable = 10;
        f.colCountSize = 1;
        f.tdNumRows = 12;
        f.tdMaxCols = 21;
        f.tdNumVarCols = 23;
        f.tdNumCols = 25;
        f.tdNumRealIdx = 31;
        f.tdUsedMap = 35;
        f.tdColumns = 43;
        f.realIdxSize = 8;
        f.colEntrySize = 18;
        f.colNumber = 1;
        f.colVarIndex = 3;
        f.colFlags = 13;
        f.colFixedOffset = 14;
        f.colLength = 16;
        return f;
    }
};

// Row slot flags: 0x8000 alone marks a moved row's data, 0xC000 a deleted row, 0x4000 alone a
// slot that holds a pointer to where the row's data went.
constexpr std::uint16_t kSlotHidden = 0x8000;
constexpr std::uint16_t kSlotPointer = 0x4000;
constexpr std::uint16_t kSlotOffset = 0x1FFF;

}  // namespace jet::reader::detail
