#pragma once

#include <string>

#include "ClassList.h"

namespace jetwriter {

// What the tool says once a class list is written: what was written and how the list was read,
// then what was passed over and what is worth a look, a few lines of each kind. `sheet` names
// the workbook's sheet the list was read from; empty for a CSV.
std::string classListReport(const classlist::ClassList& list, const std::string& csvPath,
                            const std::string& outPath, const std::string& sheet = {});

}  // namespace jetwriter
