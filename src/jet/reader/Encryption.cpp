#include "Encryption.h"

#include <cstring>
#include <utility>

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

void rc4(const std::uint8_t* key, std::size_t keyLength, std::uint8_t* data, std::size_t length) {
    std::uint8_t s[256];
    for (int i = 0; i < 256; ++i) s[i] = static_cast<std::uint8_t>(i);
    for (int i = 0, j = 0; i < 256; ++i) {
        j = (j + s[i] + key[i % keyLength]) & 0xFF;
        std::swap(s[i], s[j]);
    }
    for (std::size_t n = 0, i = 0, j = 0; n < length; ++n) {
        i = (i + 1) & 0xFF;
        j = (j + s[i]) & 0xFF;
        std::swap(s[i], s[j]);
        data[n] ^= s[(s[i] + s[j]) & 0xFF];
    }
}

}  // namespace jet::reader::detail
