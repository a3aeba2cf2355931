#pragma once

#include <iconv.h>

#include <string>
#include <string_view>

// libmdb hands out text as UTF-8; the program wants CP1251. A character with no CP1251 form, and
// any malformed UTF-8, becomes one '?' (iconv's //TRANSLIT would spell some characters out in
// several letters instead).
class Cp1251Encoder {
public:
    Cp1251Encoder();
    ~Cp1251Encoder();
    Cp1251Encoder(const Cp1251Encoder&) = delete;
    Cp1251Encoder& operator=(const Cp1251Encoder&) = delete;

    bool ready() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
    std::string encode(std::string_view utf8);

private:
    iconv_t cd_;
};
