#pragma once

#include "Jet.h"

#include <string>

namespace jet {

// The description the user sees for an error of the database layer, CP1251. name is the table or
// column the error concerns, where there is one.
std::string errorText(Error::Code code, const std::string& nameCp1251 = {});

// The error of that code with its description.
Error makeError(Error::Code code, const std::string& nameCp1251 = {});

}  // namespace jet
