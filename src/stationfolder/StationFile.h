#pragma once

#include <cstdio>

namespace stationfolder {

// Opens a file of the station folder as std::fopen does (modes "r", "rb", "w", "wb"), but never
// waits: a named pipe in a file's place would otherwise hold the program before it could leave
// a decision for the shell. Such a pipe reads as empty, and without a reader cannot be opened
// for writing.
std::FILE* openStationFile(const char* name, const char* mode);

}  // namespace stationfolder
