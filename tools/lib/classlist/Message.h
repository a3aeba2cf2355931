#pragma once

#include <string>
#include <vector>

// Texts a technician reads, kept free of Qt so that the parsing library, its tests and the fuzz
// targets need no Qt. A text is marked with JW_TR for lupdate, carries its arguments as %1..%9
// and is translated by the tool (see Translate.h); English is the source language.
#define JW_TR(context, text) text

namespace jetwriter {

// The one translation context of the writer's library texts.
inline constexpr const char* kTextContext = "jetwriter";

struct Message {
    const char* text = "";  // English, with %1..%9 for the arguments
    std::vector<std::string> args;
};

// `text` with %1..%9 replaced by `args`; a place holder without an argument stays as it is.
std::string format(const std::string& text, const std::vector<std::string>& args);

// The English text of `m`.
std::string english(const Message& m);

}  // namespace jetwriter
