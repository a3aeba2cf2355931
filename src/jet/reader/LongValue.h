#pragma once

#include "PageFile.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace jet::reader::detail {

// The bytes of a Memo or OLE value from its 12-byte field: in the row itself, in one row of a
// long-value page, or along a chain of them whose pieces add up to the value's length exactly.
// DamagedData where the pointers or lengths do not add up. The result points into the row or
// into `scratch`. A chain is walked no further than `enough` bytes (each piece read still
// checked): the result is then shorter than the value.
std::string_view longValue(PageFile& file, const std::uint8_t* field, std::uint32_t size,
                           std::string& scratch, std::size_t enough = std::string::npos);

// At most `limit` characters of a Memo as CP1251 text, its chain read no further than they need.
void appendLongText(PageFile& file, const std::uint8_t* field, std::uint32_t size,
                    std::string& scratch, std::string& out, std::size_t limit);

}  // namespace jet::reader::detail
