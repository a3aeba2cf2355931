#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "Workbook.h"

struct zip;

namespace workbook {

// The parts of a zip container held in memory, read through libzip within the limits.
class ZipParts {
public:
    // Nothing when the bytes are no zip archive libzip can open.
    static std::optional<ZipParts> open(std::string_view bytes, const Limits& limits);
    ZipParts(ZipParts&& other) noexcept;
    ZipParts& operator=(ZipParts&&) = delete;
    ~ZipParts();

    bool has(const std::string& name) const;
    // The part inflated; throws WorkbookError when it is missing, damaged, encrypted, or larger
    // than the limits allow.
    std::string read(const std::string& name);

private:
    ZipParts(zip* archive, const Limits& limits) : archive_(archive), limits_(limits) {}

    zip* archive_;
    Limits limits_;
    std::size_t totalRead_ = 0;
};

}  // namespace workbook
