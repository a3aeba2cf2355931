#include "PasswordFile.h"

namespace jetwriter {
namespace {

void appendLe32(std::string& out, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}

}  // namespace

std::string passwordFileBytes(std::int32_t password) {
    constexpr std::uint32_t kMagic = 35134;
    std::string out;
    appendLe32(out, kMagic);
    appendLe32(out, static_cast<std::uint32_t>(password));
    return out;
}

}  // namespace jetwriter
