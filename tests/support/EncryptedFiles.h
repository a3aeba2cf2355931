#pragma once

#include <string>

// Databases saved with a password, made from our writer's unencrypted output by changing what
// encryption changes. Real encryption leaves the pages as noise to anyone without the password;
// noise of our own (RC4 under a key nobody keeps) reads the same.
namespace testfiles {

// An Access 2007+ file under Office encryption: an encoding key in the masked header, the
// description of the encryption after it (`major`.`minor`: 4.4 is Agile, as Access 2010 and later
// write it; 4.2 RC4 CryptoAPI, as Access 2007 does) and every page after the first encrypted.
std::string officeEncrypted(std::string aceBytes, int major = 4, int minor = 4);

// A Jet4 file of the MSISAM engine whose pages are keyed with a password's hash.
std::string msisamEncrypted(std::string jet4Bytes);

}  // namespace testfiles
