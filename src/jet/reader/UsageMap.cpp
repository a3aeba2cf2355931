#include "UsageMap.h"

#include "DataPage.h"

namespace jet::reader::detail {

namespace {

constexpr std::uint8_t kDataPage = 0x01;
constexpr std::uint8_t kBitmapPage = 0x05;

}  // namespace

std::vector<std::uint32_t> usedPages(PageFile& file, std::uint32_t mapPointer) {
    const Format& f = file.format();
    const std::uint32_t mapPage = mapPointer >> 8;
    if (mapPage == 0 || mapPage >= file.pageCount()) damaged("usage map past the end of the file");
    const std::uint8_t* p = file.page(mapPage);
    if (p[0] != kDataPage) damaged("usage map not on a data page");
    const Slot s = slot(f, p, mapPointer & 0xFF);
    if (s.size < 1) damaged("empty usage map");
    std::vector<std::uint32_t> pages;
    auto take = [&](std::uint64_t number) {
        if (number >= file.pageCount()) damaged("usage map names a page past the end of the file");
        pages.push_back(static_cast<std::uint32_t>(number));
    };
    if (s.data[0] == 0) {
        if (s.size < 5) damaged("usage map too short");
        const std::uint64_t start = u32(s.data + 1);
        for (std::uint32_t i = 5; i < s.size; ++i)
            for (int bit = 0; bit < 8; ++bit)
                if (s.data[i] & (1u << bit)) take(start + (i - 5) * 8ull + bit);
    } else if (s.data[0] == 1) {
        const std::uint64_t perWindow = (f.pageSize - 4) * 8ull;
        for (std::uint32_t w = 0; 1 + 4 * w + 4 <= s.size; ++w) {
            const std::uint32_t bitmap = u32(s.data + 1 + 4 * w);
            if (bitmap == 0) continue;
            if (bitmap >= file.pageCount()) damaged("usage bitmap past the end of the file");
            const std::uint8_t* m = file.page(bitmap);
            if (m[0] != kBitmapPage) damaged("usage bitmap page of the wrong type");
            for (std::uint32_t i = 4; i < f.pageSize; ++i)
                if (m[i] != 0)
                    for (int bit = 0; bit < 8; ++bit)
                        if (m[i] & (1u << bit)) take(w * perWindow + (i - 4) * 8ull + bit);
        }
    } else {
        damaged("unknown usage map type");
    }
    return pages;
}

}  // namespace jet::reader::detail
