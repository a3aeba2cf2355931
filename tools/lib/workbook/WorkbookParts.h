#pragma once

#include "Workbook.h"
#include "ZipParts.h"

namespace workbook {

Workbook readXlsx(ZipParts& zip, ReadBudget& budget);
Workbook readOds(ZipParts& zip, ReadBudget& budget);
// In a child process under its own memory and CPU limits as well as `limits`.
Workbook readXls(std::string_view bytes, const Limits& limits);

}  // namespace workbook
