#pragma once

#include <cstdint>
#include <string>

namespace jetwriter {

// The trainer password file: magic 35134, then the password, both 32-bit little-endian.
std::string passwordFileBytes(std::int32_t password);

}  // namespace jetwriter
