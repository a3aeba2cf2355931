#pragma once

#include "Bytes.h"

#include <cstdint>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace jet::reader::detail {

// The database file as pages. Each page is read once with pread into memory it owns and stays
// as read: a file on a network drive may change underneath, and a row once found must not.
// No mmap: a file cut short while mapped ends the process with SIGBUS.
class PageFile {
public:
    explicit PageFile(const std::string& path);  // CannotOpenFile / NotADatabase / DamagedData
    explicit PageFile(int fd);                   // an open regular file, owned from then on
    ~PageFile();
    PageFile(const PageFile&) = delete;
    PageFile& operator=(const PageFile&) = delete;

    const Format& format() const { return format_; }
    File::Format version() const { return version_; }
    std::uint32_t pageCount() const { return pageCount_; }
    std::uint16_t codePage() const { return codePage_; }

    // The page's bytes, valid as long as this object; DamagedData past the end of the file.
    const std::uint8_t* page(std::uint32_t number);
    // Reads the pages not yet held, neighbours in one call each.
    void prefetch(const std::vector<std::uint32_t>& ascending);
    // How many pages the reader holds at most; past that a file is refused.
    std::uint32_t maxHeldPages() const;
    // The memory of the pages read so far.
    std::uint64_t heldBytes() const { return heldBytes_; }

private:
    void readHeader();
    // Reads the run into `into`, which has room for it, and keeps it.
    void readRun(std::uint32_t first, std::uint32_t count, std::uint8_t* into);
    // Memory for `pages` pages, counted against the budget.
    std::uint8_t* take(std::size_t pages);

    int fd_ = -1;
    Format format_;
    File::Format version_ = File::Format::Jet4;
    std::uint32_t pageCount_ = 0;
    std::uint16_t codePage_ = 0;
    std::uint32_t key_ = 0;  // non-zero: every page after the first is RC4-masked with it
    struct Free {
        void operator()(std::uint8_t* p) const { std::free(p); }
    };
    // What the pages are read into: one piece for all the pages a prefetch reads, one for each
    // page read alone.
    std::vector<std::unique_ptr<std::uint8_t, Free>> memory_;
    struct Run {
        const std::uint8_t* data;
        std::uint32_t pages;
    };
    // The pages read, as runs keyed by their first page: memory follows what was read, never
    // the page count the file claims. A scan walks a run page by page, so the last run found
    // answers most lookups.
    std::map<std::uint32_t, Run> runs_;
    const std::uint8_t* held(std::uint32_t number);
    std::uint32_t lastFirst_ = 0;
    const Run* last_ = nullptr;
    std::uint64_t heldBytes_ = 0;
};

}  // namespace jet::reader::detail
