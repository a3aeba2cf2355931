#include "CalculatedValue.h"

#include "Bytes.h"

namespace jet::reader::detail {

namespace {

constexpr std::uint32_t kLengthAt = 16;
constexpr std::uint32_t kWrapperBytes = 23;
constexpr std::uint8_t kMaxScale = 28;

}  // namespace

std::string_view unwrapCalculated(std::string_view wrapped) {
    if (wrapped.size() < kWrapperBytes) damaged("calculated value shorter than its wrapper");
    const auto* p = reinterpret_cast<const std::uint8_t*>(wrapped.data());
    const std::uint32_t length = u32(p + kLengthAt);
    if (length != wrapped.size() - kWrapperBytes)
        damaged("calculated value's length disagrees with its wrapper");
    return wrapped.substr(kLengthAt + 4, length);
}

CalculatedDecimal calculatedDecimal(std::string_view value) {
    const auto* p = reinterpret_cast<const std::uint8_t*>(value.data());
    if (value.size() < 4) damaged("calculated decimal too short");
    const std::uint16_t total = u16(p);
    // Access leaves the count 0 where the magnitude fills the rest.
    const std::size_t magnitude = total != 0 ? std::size_t{total} - 2 : value.size() - 4;
    if (total == 1 || magnitude % 4 != 0 || magnitude > 16 || 4 + magnitude > value.size())
        damaged("calculated decimal of a wrong size");
    CalculatedDecimal out;
    out.scale = p[2];
    if (out.scale > kMaxScale) damaged("decimal scale out of range");
    out.stored[0] = p[3] & 0x80;
    // Words of the stored form, least significant last, filled from the value's end.
    std::uint8_t* word = out.stored.data() + 17;
    const std::uint8_t* from = p + 4 + magnitude;
    for (std::size_t left = magnitude; left > 0;) {
        const std::size_t chunk = left >= 8 ? 8 : 4;
        from -= chunk;
        left -= chunk;
        // A little-endian chunk of 32 or 64 bits: its low word first.
        for (std::size_t w = 0; w < chunk / 4; ++w) {
            word -= 4;
            for (int b = 0; b < 4; ++b) word[b] = from[4 * w + b];
        }
    }
    return out;
}

}  // namespace jet::reader::detail
