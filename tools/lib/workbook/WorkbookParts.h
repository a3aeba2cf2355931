#pragma once

#include "Workbook.h"
#include "ZipParts.h"

namespace workbook {

Workbook readXlsx(ZipParts& zip, const Limits& limits);
Workbook readOds(ZipParts& zip, const Limits& limits);

}  // namespace workbook
