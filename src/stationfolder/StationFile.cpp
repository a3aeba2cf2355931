#include "StationFile.h"

#include <fcntl.h>
#include <unistd.h>

namespace stationfolder {

std::FILE* openStationFile(const char* name, const char* mode) {
    const int access = mode[0] == 'w' ? O_WRONLY | O_CREAT | O_TRUNC : O_RDONLY;
    const int fd = ::open(name, access | O_NONBLOCK | O_CLOEXEC, 0666);
    if (fd < 0) return nullptr;
    std::FILE* file = fdopen(fd, mode);
    if (!file) ::close(fd);
    return file;
}

}  // namespace stationfolder
