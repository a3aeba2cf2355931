#include "Cp1251Encoder.h"

#include <algorithm>
#include <cerrno>

namespace {

// Length of the malformed or unmappable sequence at the start of s: its lead byte and the
// continuation bytes that follow it, at most four bytes in all.
std::size_t sequenceLength(const char* s, std::size_t left) {
    std::size_t n = 1;
    while (n < left && n < 4 && (static_cast<unsigned char>(s[n]) & 0xC0) == 0x80) ++n;
    return n;
}

}  // namespace

Cp1251Encoder::Cp1251Encoder() : cd_(iconv_open("CP1251", "UTF-8")) {}

Cp1251Encoder::~Cp1251Encoder() {
    if (ready()) iconv_close(cd_);
}

std::string Cp1251Encoder::encode(std::string_view utf8) {
    if (!ready()) return std::string(utf8.size(), '?');
    // The scan encodes every record-book number, mostly digits and Latin letters: text that is
    // all ASCII is the same in CP1251, and iconv would cost several times the rest of a row.
    if (std::all_of(utf8.begin(), utf8.end(),
                    [](char c) { return static_cast<unsigned char>(c) < 0x80; }))
        return std::string(utf8);
    // A CP1251 text is never longer than its UTF-8 form.
    std::string out(utf8.size(), '\0');
    char* in = const_cast<char*>(utf8.data());
    std::size_t inLeft = utf8.size();
    char* dst = out.data();
    std::size_t outLeft = out.size();
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    while (inLeft > 0) {
        if (iconv(cd_, &in, &inLeft, &dst, &outLeft) != static_cast<std::size_t>(-1)) break;
        if (errno != EILSEQ && errno != EINVAL) break;
        const std::size_t skip = sequenceLength(in, inLeft);
        in += skip;
        inLeft -= skip;
        if (outLeft == 0) break;
        *dst++ = '?';
        --outLeft;
    }
    out.resize(out.size() - outLeft);
    return out;
}
