#pragma once

#include <QString>

#include <cstdio>

// What rulevion-station's commands write to the terminal: under its own name, in the locale's
// encoding, flushed at once so that it stands in order beside the programs it starts.
namespace station {

inline constexpr const char* kProgramName = "rulevion-station";

void print(std::FILE* stream, const QString& text);

}  // namespace station
