#include "MonitorFile.h"

#include "StationFile.h"

#include <cstdio>
#include <memory>
#include <string>

namespace signin {

namespace {

// The line buffer holds 80 bytes, its terminator included.
constexpr std::size_t kReadLimit = 79;
constexpr int kLinesRead = 3;

// Text-mode input of the station's system: CR LF arrives as a single LF.
class TextStream {
public:
    explicit TextStream(std::string_view bytes) : bytes_(bytes) {}

    bool atEnd() const { return pos_ >= bytes_.size(); }

    char next() {
        if (bytes_[pos_] == '\r' && pos_ + 1 < bytes_.size() && bytes_[pos_ + 1] == '\n') ++pos_;
        return bytes_[pos_++];
    }

private:
    std::string_view bytes_;
    std::size_t pos_ = 0;
};

// One read with the line buffer: up to and including a line end, at most kReadLimit characters.
// Returns false when nothing at all could be read.
bool readLine(TextStream& in, char& first) {
    if (in.atEnd()) return false;
    first = in.next();
    char c = first;
    for (std::size_t taken = 1; c != '\n' && taken < kReadLimit && !in.atEnd(); ++taken)
        c = in.next();
    return true;
}

// Enough raw bytes for three full reads, each character possibly a CR LF pair, plus one to see
// whether a final CR is followed by its LF.
constexpr std::size_t kBytesNeeded = kLinesRead * kReadLimit * 2 + 1;

}  // namespace

MonitorReading readMonitorBytes(std::string_view bytes) {
    TextStream in(bytes);
    char first = 0;
    for (int line = 0; line < kLinesRead; ++line)
        if (!readLine(in, first)) return MonitorReading::CannotRead;
    if (first == '0') return MonitorReading::DriveD;
    if (first == '1') return MonitorReading::DriveC;
    return MonitorReading::WrongStructure;
}

MonitorReading readMonitorFile(const char* fileName) {
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(stationfolder::openStationFile(fileName, "rb"),
                                                         &std::fclose);
    if (!file) return MonitorReading::CannotOpen;
    std::string bytes(kBytesNeeded, '\0');
    bytes.resize(std::fread(bytes.data(), 1, bytes.size(), file.get()));
    // A read error counts as the end of the file: whatever came before it is still read.
    return readMonitorBytes(bytes);
}

}  // namespace signin
