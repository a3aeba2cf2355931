#pragma once

#include <string>
#include <string_view>

#include "Message.h"

namespace classlist {

// How spreadsheets save a class list: UTF-8 with or without its byte-order mark, "Unicode text"
// (UTF-16 with a byte-order mark), or the Windows Cyrillic code page.
enum class Encoding { Utf8, Utf8WithBom, Utf16Le, Utf16Be, Cp1251 };

// The encoding's name as the report gives it.
jetwriter::Message encodingName(Encoding e);

struct DecodedText {
    Encoding encoding = Encoding::Utf8;
    std::string utf8;  // without the byte-order mark
};

// Finds the encoding from the bytes: a byte-order mark decides; otherwise valid UTF-8 is UTF-8
// and anything else CP1251. Line ends stay as they are, so line numbers keep their meaning.
// Throws CsvError (naming the line) for UTF-16 that is cut or holds a lone surrogate, and for the
// one byte CP1251 leaves unassigned.
DecodedText decodeClassList(std::string_view bytes);

}  // namespace classlist
