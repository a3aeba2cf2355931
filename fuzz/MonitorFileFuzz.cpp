// __monitor.txt is written by the station's set-up and edited by hand. Any bytes must give one of
// the readings, the same one a plain model of the station's line reading gives, and the same one
// whether the bytes come from memory or from the file.
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "FuzzCheck.h"
#include "MonitorFile.h"

using signin::MonitorReading;

namespace {

// The model: text mode first turns each CR LF into LF; then three reads of at most 79 characters,
// each ending after a LF; the first character of the third read decides.
MonitorReading model(std::string_view bytes) {
    std::string text;
    for (std::size_t i = 0; i < bytes.size(); ++i)
        if (!(bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n')) text += bytes[i];
    std::size_t pos = 0;
    char first = 0;
    for (int read = 0; read < 3; ++read) {
        if (pos >= text.size()) return MonitorReading::CannotRead;
        first = text[pos];
        const std::size_t lineEnd = text.find('\n', pos);
        const std::size_t length =
            lineEnd == std::string::npos ? text.size() - pos : lineEnd - pos + 1;
        pos += std::min<std::size_t>(length, 79);
    }
    return first == '1'   ? MonitorReading::DriveC
           : first == '0' ? MonitorReading::DriveD
                          : MonitorReading::WrongStructure;
}

// A file in memory, opened by name like any other; nothing is left behind.
int scratchFile() {
    const int fd = memfd_create("monitor", 0);
    FUZZ_CHECK(fd >= 0);
    return fd;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const MonitorReading reading = signin::readMonitorBytes(bytes);
    FUZZ_CHECK(reading != MonitorReading::CannotOpen);
    FUZZ_CHECK(reading == model(bytes));

    // The file reader reads only a bounded start of the file; the reading must not change.
    static const int fd = scratchFile();
    static const std::string path = "/proc/self/fd/" + std::to_string(fd);
    FUZZ_CHECK(ftruncate(fd, 0) == 0);
    FUZZ_CHECK(pwrite(fd, data, size, 0) == static_cast<ssize_t>(size));
    FUZZ_CHECK(signin::readMonitorFile(path.c_str()) == reading);
    return 0;
}
