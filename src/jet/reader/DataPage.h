#pragma once

#include "Bytes.h"

#include <cstdint>

namespace jet::reader::detail {

// The bytes of row `row` on a page, without looking at its flags.
struct Slot {
    std::uint16_t flags = 0;
    const std::uint8_t* data = nullptr;
    std::uint32_t size = 0;
};
std::uint32_t slotCount(const Format& f, const std::uint8_t* page);
Slot slot(const Format& f, const std::uint8_t* page, std::uint32_t row);

}  // namespace jet::reader::detail
