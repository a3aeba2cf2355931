#include "PasswordFile.h"

#include <algorithm>

#include "TypedNumber.h"

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

std::size_t passwordFieldLength() {
    return trainer::kWorkingCopyLength;
}

TypedPassword checkTypedPassword(std::string_view text, std::int32_t& value) {
    if (text.empty()) return TypedPassword::Empty;
    if (!std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return TypedPassword::NotDigits;
    if (text.size() > passwordFieldLength()) return TypedPassword::TooLong;
    // Read as the trainer reads what is typed, so that what is stored is what matches.
    const auto typed = trainer::typedNumber(text);
    if (!typed) return TypedPassword::TooLarge;
    value = *typed;
    return TypedPassword::Ok;
}

}  // namespace jetwriter
