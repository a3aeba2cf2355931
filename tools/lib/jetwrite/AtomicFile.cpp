#include "AtomicFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>

#include "Error.h"

namespace jetwriter {
namespace {

constexpr std::size_t kBufferSize = 1 << 16;

std::string describe(const std::filesystem::path& p) {
    return "\"" + p.string() + "\"";
}

std::string uniqueSuffix() {
    static std::atomic<unsigned> counter{0};
    const auto ticks = std::chrono::steady_clock::now().time_since_epoch().count();
    char buf[64];
    std::snprintf(buf, sizeof buf, ".tmp%ld.%u.%llx", static_cast<long>(getpid()), counter++,
                  static_cast<unsigned long long>(ticks) & 0xFFFFFFull);
    return buf;
}

}  // namespace

AtomicFile::AtomicFile(std::filesystem::path target) : target_(std::move(target)) {
    if (target_.filename().empty())
        throw Error("cannot write " + describe(target_) + ": not a file name");
    for (int attempt = 0; attempt < 100; ++attempt) {
        temp_ = target_.parent_path() / ("." + target_.filename().string() + uniqueSuffix());
        fd_ = ::open(temp_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd_ >= 0) {
            buffer_.reserve(kBufferSize);
            return;
        }
        if (errno != EEXIST) break;
    }
    const int err = errno;
    temp_.clear();
    throw Error("cannot create a file beside " + describe(target_) + ": " + std::strerror(err));
}

AtomicFile::~AtomicFile() {
    discard();
}

void AtomicFile::write(std::string_view bytes) {
    if (fd_ < 0) throw Error("cannot write " + describe(target_) + ": file already closed");
    if (buffer_.size() + bytes.size() > kBufferSize) flush();
    if (bytes.size() >= kBufferSize)
        writeAll(bytes);
    else
        buffer_.append(bytes);
}

void AtomicFile::flush() {
    writeAll(buffer_);
    buffer_.clear();
}

void AtomicFile::writeAll(std::string_view bytes) {
    const char* p = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd_, p, left);
        if (n < 0) {
            if (errno == EINTR) continue;
            fail("cannot write " + describe(target_), errno);
        }
        if (n == 0) fail("cannot write " + describe(target_), EIO);
        p += n;
        left -= static_cast<std::size_t>(n);
    }
}

void AtomicFile::commit() {
    if (fd_ < 0) throw Error("cannot write " + describe(target_) + ": file already closed");
    flush();
    if (::fsync(fd_) != 0 && errno != EINVAL) fail("cannot write " + describe(target_), errno);
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0) fail("cannot write " + describe(target_), errno);
    if (::rename(temp_.c_str(), target_.c_str()) != 0)
        fail("cannot put the new file in place at " + describe(target_), errno);
    temp_.clear();
}

void AtomicFile::fail(const std::string& what, int err) {
    discard();
    throw Error(what + ": " + std::strerror(err));
}

void AtomicFile::discard() noexcept {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    if (!temp_.empty()) {
        ::unlink(temp_.c_str());
        temp_.clear();
    }
}

void writeFileAtomically(const std::filesystem::path& target, std::string_view bytes) {
    AtomicFile file(target);
    file.write(bytes);
    file.commit();
}

}  // namespace jetwriter
