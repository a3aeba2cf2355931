#pragma once

#include "PageFile.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace jet::reader::detail {

// The bytes of a Memo or OLE value from its 12-byte field: in the row itself, in one row of a
// long-value page, or along a chain of them whose pieces add up to the value's length exactly.
// DamagedData where the pointers or lengths do not add up. The result points into the row or
// into `scratch`.
std::string_view longValue(PageFile& file, const std::uint8_t* field, std::uint32_t size,
                           std::string& scratch);

}  // namespace jet::reader::detail
