#pragma once

#include "Jet.h"

#include <cstdint>
#include <string>

namespace jet {

// The description the user sees for an error of the database layer, CP1251. name is the table or
// column the error concerns, where there is one; jetType the column's kind as the file codes it,
// for a column whose kind cannot be read.
std::string errorText(Error::Code code, const std::string& nameCp1251 = {},
                      std::uint8_t jetType = 0);

// The error of that code with its description.
Error makeError(Error::Code code, const std::string& nameCp1251 = {}, std::uint8_t jetType = 0);

}  // namespace jet
