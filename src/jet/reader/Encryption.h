#pragma once

#include "JetReader.h"

#include <cstddef>
#include <cstdint>

namespace jet::reader::detail {

// Whether the file's pages are encrypted with a key derived from a password, which it does not
// hold: Office encryption of Access 2007 and later (an ACE file with an encoding key), and the
// password-keyed Jet4 files of the MSISAM engine. The key that plain Jet3 and Jet4 files mask
// their pages with is in their header, and those files read. `head` is the header page's first
// 2 KB with its masked part unmasked; `key` the encoding key read from it.
bool encryptedBeyondReach(File::Format format, const std::uint8_t* head, std::uint32_t key);

// RC4 applied in place; Jet masks its header and, with a database key, its pages with it.
void rc4(const std::uint8_t* key, std::size_t keyLength, std::uint8_t* data, std::size_t length);

}  // namespace jet::reader::detail
