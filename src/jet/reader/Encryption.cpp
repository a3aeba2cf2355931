#include "Encryption.h"

#include <cstring>

namespace jet::reader::detail {

namespace {

constexpr std::uint32_t kEngineNameOffset = 0x04;
constexpr char kMsisamEngine[] = "MSISAM Database";
// MSISAM: the bits that say its pages are keyed with a password's hash.
constexpr std::uint32_t kMsisamFlagsOffset = 0x298;
constexpr std::uint8_t kMsisamPasswordKeyed = 0x06;

}  // namespace

bool encryptedBeyondReach(File::Format format, const std::uint8_t* head, std::uint32_t key) {
    if (format == File::Format::Ace) return key != 0;
    if (format != File::Format::Jet4) return false;
    if (std::memcmp(head + kEngineNameOffset, kMsisamEngine, sizeof kMsisamEngine - 1) != 0)
        return false;
    return (head[kMsisamFlagsOffset] & kMsisamPasswordKeyed) != 0;
}

}  // namespace jet::reader::detail
