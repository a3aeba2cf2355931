#include "LongValue.h"

#include "DataPage.h"
#include "TextDecoding.h"

#include <algorithm>
#include <vector>

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
                           std::string& scratch, std::size_t enough) {
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
    // The value's length bounds the chain: each piece carries bytes, none more than remain, and
    // the last one ends it. A loop runs out of length or revisits a row.
    scratch.clear();
    std::vector<std::uint32_t> visited;
    std::uint32_t next = pointer;
    const std::size_t wanted = std::min<std::size_t>(length, enough);
    while (scratch.size() < wanted) {
        if (next == 0) damaged("long value chain ends early");
        visited.push_back(next);
        const Slot s = longValueRow(file, next);
        if (s.size < 4) damaged("long value chain row too short");
        const std::uint32_t piece = s.size - 4;
        if (piece == 0) damaged("long value chain piece of no bytes");
        if (piece > length - scratch.size()) damaged("long value chain piece past the value");
        const std::uint32_t at = next;
        next = u32(s.data);
        if (next == at) damaged("long value chain visits a row twice");
        scratch.append(reinterpret_cast<const char*>(s.data + 4), piece);
    }
    if (scratch.size() == length && next != 0) damaged("long value chain goes on past the value");
    std::sort(visited.begin(), visited.end());
    if (std::adjacent_find(visited.begin(), visited.end()) != visited.end())
        damaged("long value chain visits a row twice");
    return scratch;
}

void appendLongText(PageFile& file, const std::uint8_t* field, std::uint32_t size,
                    std::string& scratch, std::string& out, std::size_t limit) {
    const bool jet3 = file.format().jet3;
    auto append = [&](std::string_view stored) {
        if (jet3)
            appendCodePageText(stored, file.codePage(), out, limit);
        else
            appendStoredText(stored, out, limit);
    };
    // Jet3 keeps a byte a character; Jet4 at most two, after a two-byte marker.
    constexpr std::size_t kWhole = std::string::npos;
    const std::size_t enough = limit >= kWhole / 4 ? kWhole : jet3 ? limit : 2 + 2 * limit;
    const std::string_view head = longValue(file, field, size, scratch, enough);
    if (head.size() == u24(field)) return append(head);
    const std::size_t at = out.size();
    append(head);
    if (out.size() - at == limit) return;
    // The switches between one- and two-byte characters take bytes of their own; a value made
    // mostly of them is read whole.
    out.resize(at);
    append(longValue(file, field, size, scratch));
}

}  // namespace jet::reader::detail
