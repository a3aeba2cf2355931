#pragma once

#include "PageFile.h"

#include <cstdint>
#include <vector>

namespace jet::reader::detail {

// The data pages a usage map names, ascending; DamagedData for a map that does not add up.
std::vector<std::uint32_t> usedPages(PageFile& file, std::uint32_t mapPointer);

}  // namespace jet::reader::detail
