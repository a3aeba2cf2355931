#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace jet::reader::detail {

// The result type Access keeps for each calculated column among a table's properties (the
// catalogue's LvProp): pairs of the column's name (CP1251) and the type code. DamagedData where
// the block does not add up; an empty list where it holds none.
std::vector<std::pair<std::string, std::uint8_t>> calculatedResultTypes(std::string_view block);

}  // namespace jet::reader::detail
