#pragma once

#include "Workbook.h"
#include "ZipParts.h"

namespace workbook {

Workbook readXlsx(ZipParts& zip, ReadBudget& budget);
Workbook readOds(ZipParts& zip, ReadBudget& budget);

}  // namespace workbook
