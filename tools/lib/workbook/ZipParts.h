#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "ReadBudget.h"

struct zip;

namespace workbook {

// The parts of a zip container held in memory, read through libzip within the budget.
class ZipParts {
public:
    // Nothing when the bytes are no zip archive libzip can open. Throws WorkbookError when the
    // archive says it holds more entries than the budget allows, before libzip reads any of them.
    static std::optional<ZipParts> open(std::string_view bytes, ReadBudget& budget);
    ZipParts(ZipParts&& other) noexcept;
    ZipParts& operator=(ZipParts&&) = delete;
    ~ZipParts();

    bool has(const std::string& name) const;
    // The part inflated; throws WorkbookError when it is missing, damaged, encrypted, larger than
    // the budget allows or larger than `cap`.
    std::string read(const std::string& name, std::size_t cap = std::string::npos);

private:
    ZipParts(zip* archive, ReadBudget& budget) : archive_(archive), budget_(&budget) {}

    zip* archive_;
    ReadBudget* budget_;
};

// The number of entries the archive's end record states (the zip64 one where that is used), or
// nothing when there is no end record.
std::optional<std::size_t> statedZipEntries(std::string_view bytes);

}  // namespace workbook
