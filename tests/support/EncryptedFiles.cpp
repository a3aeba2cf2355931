#include "EncryptedFiles.h"

#include "Encryption.h"

#include <cstdint>
#include <cstring>

namespace testfiles {
namespace {

using jet::reader::detail::rc4;

constexpr std::size_t kPage = 4096;

std::uint8_t* at(std::string& bytes, std::size_t offset) {
    return reinterpret_cast<std::uint8_t*>(bytes.data()) + offset;
}

// The header's fields from 0x18 on are masked with a fixed RC4 key (128 bytes in Jet4 and ACE).
void setMasked(std::string& bytes, std::size_t offset, const std::uint8_t* value, std::size_t n) {
    static const std::uint8_t key[4] = {0xC7, 0xDA, 0x39, 0x6B};
    rc4(key, 4, at(bytes, 0x18), 128);
    std::memcpy(at(bytes, offset), value, n);
    rc4(key, 4, at(bytes, 0x18), 128);
}

void scramblePages(std::string& bytes) {
    static const std::uint8_t secret[] = "a password nobody keeps";
    for (std::size_t p = kPage; p + kPage <= bytes.size(); p += kPage)
        rc4(secret, sizeof secret - 1, at(bytes, p), kPage);
}

}  // namespace

std::string officeEncrypted(std::string bytes, int major, int minor) {
    static const std::uint8_t encodingKey[4] = {0x3C, 0x8E, 0x51, 0xA2};
    setMasked(bytes, 0x3E, encodingKey, 4);
    // At 0x299: the length of what follows, then the encryption's version.
    const std::string info =
        std::string{static_cast<char>(major), 0, static_cast<char>(minor), 0, 0x40, 0, 0, 0} +
        "<?xml version=\"1.0\"?><encryption/>";
    *at(bytes, 0x299) = static_cast<std::uint8_t>(info.size());
    *at(bytes, 0x29A) = 0;
    std::memcpy(at(bytes, 0x29B), info.data(), info.size());
    scramblePages(bytes);
    return bytes;
}

std::string msisamEncrypted(std::string bytes) {
    std::memcpy(at(bytes, 0x04), "MSISAM Database", 15);
    *at(bytes, 0x298) = 0x06;
    scramblePages(bytes);
    return bytes;
}

}  // namespace testfiles
