#pragma once

#include <string_view>

// __monitor.txt: three lines, the third of which names the drive the student database lies on.
namespace signin {

inline constexpr const char* kMonitorFile = "__monitor.txt";

enum class MonitorReading {
    DriveD,         // third line begins with "0"
    DriveC,         // third line begins with "1"
    CannotOpen,     // the file cannot be opened for reading
    CannotRead,     // fewer than three lines could be read
    WrongStructure  // the third line begins with anything else
};

// The reading of the file's bytes. Lines are read as a Windows program reads a text file: a CR LF
// pair is one line end, and one read takes at most 79 characters, so a longer line takes several
// reads, each counting as a line.
MonitorReading readMonitorBytes(std::string_view bytes);

// The same, over the file in the current directory (or any other file, for tests).
MonitorReading readMonitorFile(const char* fileName = kMonitorFile);

}  // namespace signin
