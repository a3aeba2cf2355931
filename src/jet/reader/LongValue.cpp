#include "LongValue.h"

#include "DataPage.h"

namespace jet::reader::detail {

namespace {

constexpr std::uint32_t kHeaderSize = 12;
constexpr std::uint8_t kInline = 0x80;
constexpr std::uint8_t kOnePage = 0x40;
constexpr std::uint8_t kChain = 0x00;
// A memo typed in Access holds at most 65,535 characters (128 KB as UTF-16); far more is
// damage or a kind of value the sign-in never needs.
constexpr std::uint32_t kMaxLength = 1u << 20;

Slot longValueRow(PageFile& file, std::uint32_t pointer) {
    const std::uint32_t number = pointer >> 8;
    if (number == 0 || number >= file.pageCount()) damaged("long value past the end of the file");
    const std::uint8_t* page = file.page(number);
    if (page[0] != 0x01 || page[4] != 'L' || page[5] != 'V' || page[6] != 'A' || page[7] != 'L')
        damaged("long value not on a long-value page");
    const Slot s = slot(file.format(), page, pointer & 0xFF);
    if (s.flags & kSlotHidden) damaged("long value deleted");
    return s;
}

}  // namespace

std::string_view longValue(PageFile& file, const std::uint8_t* field, std::uint32_t size,
                           std::string& scratch) {
    if (size < kHeaderSize) damaged("long value field too short");
    const std::uint32_t length = u24(field);
    const std::uint8_t kind = field[3];
    const std::uint32_t pointer = u32(field + 4);
    if (length > kMaxLength) damaged("long value too long");
    if (kind == kInline) {
        if (length > size - kHeaderSize) damaged("long value past its row");
        return {reinterpret_cast<const char*>(field + kHeaderSize), length};
    }
    if (kind == kOnePage) {
        const Slot s = longValueRow(file, pointer);
        if (length > s.size) damaged("long value past its row");
        return {reinterpret_cast<const char*>(s.data), length};
    }
    if (kind != kChain) damaged("unknown long value kind");
    scratch.clear();
    std::uint32_t next = pointer;
    for (std::uint32_t hops = 0; scratch.size() < length; ++hops) {
        if (next == 0) damaged("long value chain ends early");
        if (hops >= file.pageCount()) damaged("long value chain loops");
        const Slot s = longValueRow(file, next);
        if (s.size < 4) damaged("long value chain row too short");
        next = u32(s.data);
        const std::uint32_t take =
            std::min(s.size - 4, length - static_cast<std::uint32_t>(scratch.size()));
        scratch.append(reinterpret_cast<const char*>(s.data + 4), take);
    }
    return scratch;
}

}  // namespace jet::reader::detail
