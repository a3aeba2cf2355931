#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>

namespace jetwriter {

// A file that appears at its path complete or not at all. Bytes go to a hidden temporary
// file in the target's folder; commit() flushes, syncs and renames it over the target. If
// anything fails, or the object goes without commit(), the temporary file is removed and
// whatever was at the target before stays as it was. Failures throw jetwriter::Error.
class AtomicFile {
public:
    explicit AtomicFile(std::filesystem::path target);
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    void write(std::string_view bytes);
    void commit();

private:
    void flush();
    void writeAll(std::string_view bytes);
    [[noreturn]] void fail(const std::string& what, int err);
    void discard() noexcept;

    std::filesystem::path target_;
    std::filesystem::path temp_;
    int fd_ = -1;
    std::string buffer_;
};

// Writes `bytes` to `target` through an AtomicFile.
void writeFileAtomically(const std::filesystem::path& target, std::string_view bytes);

}  // namespace jetwriter
