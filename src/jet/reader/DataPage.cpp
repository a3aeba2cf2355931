#include "DataPage.h"

namespace jet::reader::detail {

std::uint32_t slotCount(const Format& f, const std::uint8_t* page) {
    const std::uint32_t n = u16(page + f.dataRowCount);
    // A row is addressed by one byte; Access puts at most 255 rows on a page.
    if (n > 256 || f.dataRowTable + 2ull * n > f.pageSize) damaged("row table past the page");
    return n;
}

Slot slot(const Format& f, const std::uint8_t* page, std::uint32_t row) {
    const std::uint32_t n = slotCount(f, page);
    if (row >= n) damaged("row number past the page's rows");
    const std::uint16_t entry = u16(page + f.dataRowTable + 2 * row);
    const std::uint32_t start = entry & kSlotOffset;
    const std::uint32_t end =
        row == 0 ? f.pageSize : (u16(page + f.dataRowTable + 2 * (row - 1)) & kSlotOffset);
    if (start < f.dataRowTable + 2 * n || start >= end || end > f.pageSize)
        damaged("row bounds out of the page");
    return {static_cast<std::uint16_t>(entry & ~kSlotOffset), page + start, end - start};
}

}  // namespace jet::reader::detail
