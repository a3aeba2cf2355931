#include "PageFile.h"

#include "Encryption.h"
#include "HugePages.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <new>

namespace jet::reader::detail {

namespace {

// The helper runs under a 512 MB address-space limit, and whatever a file claims, the reader
// stays inside this budget (a file that would need more is refused as damaged):
//   pages held          192 MB  (kMaxHeldBytes: their memory, from 1 MB on in whole 2 MB
//                                pages; a Students table of 100,000 rows is ~10 MB)
//   their index           6 MB  (one map entry per run read and one pointer per piece of memory
//                                they were read into, at most one of each per page held)
//   rows of a scan       64 MB  (kMaxRows x 16 bytes) and moved-row targets 16 MB
//   usage-map list      0.4 MB  (at most one entry per page that may be held)
//   a definition          1 MB  (256 pages joined), a long value 1 MB and its 4 MB hop list
//   the reply             4 MB  (a batch, its encoding and its frame, each under 1 MB)
//   code, stack, libc    16 MB
// about 310 MB in all. Nothing is sized from the file's length or a count in it before that
// count is held against this.
constexpr std::uint64_t kMaxHeldBytes = 192ull << 20;
constexpr std::uint32_t kRunPages = 512;

constexpr std::uint32_t kVersionOffset = 0x14;
constexpr std::uint32_t kMaskedStart = 0x18;
constexpr std::uint32_t kCodePageOffset = 0x3C;
constexpr std::uint32_t kKeyOffset = 0x3E;

[[noreturn]] void notADatabase(const std::string& detail) {
    throw ReadError(Failure::NotADatabase, detail);
}

// Reads exactly `length` bytes at `offset`; false when the file ends first.
bool readAt(int fd, std::uint8_t* into, std::size_t length, off_t offset) {
    while (length > 0) {
        const ssize_t n = ::pread(fd, into, length, offset);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        into += n;
        length -= static_cast<std::size_t>(n);
        offset += n;
    }
    return true;
}

}  // namespace

namespace {

int openRegular(const std::string& path) {
    // O_NONBLOCK: a fifo must not hold the open; only a regular file goes on.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) throw ReadError(Failure::CannotOpenFile, "cannot open the file");
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        throw ReadError(Failure::CannotOpenFile, "not a regular file");
    }
    return fd;
}

}  // namespace

PageFile::PageFile(const std::string& path) : PageFile(openRegular(path)) {}

PageFile::PageFile(int fd) : fd_(fd) {
    try {
        // lseek rather than fstat: the helper's sandbox lets this file be read and sized, nothing
        // more.
        const off_t end = ::lseek(fd_, 0, SEEK_END);
        if (end < 0) throw ReadError(Failure::CannotOpenFile, "cannot size the file");
        readHeader();
        const auto size = static_cast<std::uint64_t>(end);
        if (size % format_.pageSize != 0) damaged("file size is not a whole number of pages");
        if (size / format_.pageSize < 3) notADatabase("file too short");
        if (size / format_.pageSize > 0x00FFFFFF) notADatabase("file too large");
        pageCount_ = static_cast<std::uint32_t>(size / format_.pageSize);
    } catch (...) {
        ::close(fd_);
        throw;
    }
}

PageFile::~PageFile() {
    ::close(fd_);
}

void PageFile::readHeader() {
    std::uint8_t head[2048];
    if (!readAt(fd_, head, sizeof head, 0)) notADatabase("file too short");
    if (head[0] != 0) notADatabase("first page is not a database header");
    const std::uint8_t version = head[kVersionOffset];
    if (version == 0) {
        format_ = Format::jet3Format();
        version_ = File::Format::Jet3;
    } else if (version <= 6) {
        format_ = Format::jet4();
        version_ = version == 1 ? File::Format::Jet4 : File::Format::Ace;
    } else {
        notADatabase("unknown format version");
    }
    static const std::uint8_t headerKey[4] = {0xC7, 0xDA, 0x39, 0x6B};
    rc4(headerKey, 4, head + kMaskedStart, format_.jet3 ? 126 : 128);
    codePage_ = u16(head + kCodePageOffset);
    key_ = u32(head + kKeyOffset);
    if (encryptedBeyondReach(version_, head, key_))
        throw ReadError(Failure::Encrypted, "pages encrypted with a password");
}

// Faulting in fresh memory page by page cost a scan of 100,000 rows more than reading the file
// (perf: a quarter of its time in page faults), and a table whose pages lie in a few dozen runs
// between other pages took one fault a page: what a prefetch reads goes into one piece, from 1 MB
// on in huge pages where the system offers them. Not cleared first: every byte is read from the
// file or the read fails.
std::uint8_t* PageFile::take(std::size_t pages) {
    std::size_t bytes = pages * format_.pageSize;
    // Checked before and after: whole huge pages may take up to 2 MB more than the pages.
    if (heldBytes_ + bytes > kMaxHeldBytes) damaged("more pages than the reader holds");
    std::unique_ptr<std::uint8_t, Free> memory(
        static_cast<std::uint8_t*>(allocateHugeFrom1Mb(bytes)));
    if (!memory) throw std::bad_alloc();
    if (heldBytes_ + bytes > kMaxHeldBytes) damaged("more pages than the reader holds");
    heldBytes_ += bytes;
    memory_.push_back(std::move(memory));
    return memory_.back().get();
}

void PageFile::readRun(std::uint32_t first, std::uint32_t count, std::uint8_t* into) {
    const std::size_t length = std::size_t{count} * format_.pageSize;
    if (!readAt(fd_, into, length, static_cast<off_t>(first) * format_.pageSize))
        damaged("file ended before its last page");
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::uint32_t number = first + i;
        std::uint8_t* p = into + std::size_t{i} * format_.pageSize;
        if (key_ != 0 && number != 0) {
            const std::uint32_t k = key_ ^ number;
            const std::uint8_t pageKey[4] = {
                static_cast<std::uint8_t>(k), static_cast<std::uint8_t>(k >> 8),
                static_cast<std::uint8_t>(k >> 16), static_cast<std::uint8_t>(k >> 24)};
            rc4(pageKey, 4, p, format_.pageSize);
        }
    }
    runs_.emplace(first, Run{into, count});
}

const std::uint8_t* PageFile::held(std::uint32_t number) {
    if (!last_ || number < lastFirst_ || number - lastFirst_ >= last_->pages) {
        auto it = runs_.upper_bound(number);
        if (it == runs_.begin()) return nullptr;
        --it;
        if (number - it->first >= it->second.pages) return nullptr;
        lastFirst_ = it->first;
        last_ = &it->second;
    }
    return last_->data + std::size_t{number - lastFirst_} * format_.pageSize;
}

const std::uint8_t* PageFile::page(std::uint32_t number) {
    if (number >= pageCount_) damaged("page number past the end of the file");
    if (const std::uint8_t* p = held(number)) return p;
    readRun(number, 1, take(1));
    return held(number);
}

std::uint32_t PageFile::maxHeldPages() const {
    return static_cast<std::uint32_t>(kMaxHeldBytes / format_.pageSize);
}

void PageFile::prefetch(const std::vector<std::uint32_t>& ascending) {
    std::vector<std::pair<std::uint32_t, std::uint32_t>> runs;  // first page, count
    std::size_t pages = 0;
    std::size_t i = 0;
    while (i < ascending.size()) {
        const std::uint32_t first = ascending[i];
        if (first >= pageCount_ || held(first)) {
            ++i;
            continue;
        }
        std::uint32_t count = 1;
        while (i + count < ascending.size() && count < kRunPages &&
               ascending[i + count] == first + count && first + count < pageCount_ &&
               !held(first + count))
            ++count;
        runs.emplace_back(first, count);
        pages += count;
        i += count;
    }
    if (runs.empty()) return;
    std::uint8_t* into = take(pages);
    for (const auto& [first, count] : runs) {
        readRun(first, count, into);
        into += std::size_t{count} * format_.pageSize;
    }
}

}  // namespace jet::reader::detail
