#pragma once

#include "JetWriter.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

// Files for the reader's tests: the shared fixtures, and files our writer makes, patched
// byte by byte where a test needs a row moved, deleted or damaged.
namespace readertest {

std::filesystem::path dataFile(const std::string& relative);

// Table Students (StBook, StName, StNum, GrNum as Text; StCount, GrCount as Long) with `rows`
// rows: StBook "B<i>", StName "Имя <i>", StNum Null on odd rows, StCount i, GrCount -i.
jetwriter::Table students(int rows);

// A Jet4 file (or, with pageSize 2048, a Jet3 one) as bytes, with helpers that find and change
// its pages.
struct JetBytes {
    std::string bytes;
    static constexpr std::uint32_t kPage = 4096;
    std::uint32_t pageSize = kPage;

    std::uint8_t* page(std::uint32_t n) {
        return reinterpret_cast<std::uint8_t*>(bytes.data()) + std::size_t{n} * pageSize;
    }
    std::uint32_t pageCount() const { return static_cast<std::uint32_t>(bytes.size() / pageSize); }
    // Where a data page's row table begins.
    std::uint32_t rowTable() const { return pageSize == kPage ? 14 : 10; }
    // The first user table's definition: our writer puts it right after the catalogue's pages.
    std::uint32_t firstTableDefPage() const;
    std::vector<std::uint32_t> dataPages(std::uint32_t tdef);
    std::uint16_t slot(std::uint32_t page, std::uint32_t row);  // raw offset entry
    void setSlotFlags(std::uint32_t page, std::uint32_t row, std::uint16_t flags);
    std::uint8_t* rowData(std::uint32_t page, std::uint32_t row);
    // Makes the slot's first four bytes a pointer to `row` on `page`.
    void pointTo(std::uint32_t page, std::uint32_t row, std::uint32_t toPage, std::uint32_t toRow);
    std::filesystem::path save(const std::filesystem::path& dir, const std::string& name) const;
};

JetBytes written(const std::vector<jetwriter::Table>& tables,
                 jetwriter::Format format = jetwriter::Format::Jet4);

// Changes a field of the RC4-masked header (Jet3: 126 bytes from 0x18; Jet4 and ACE: 128).
void setMaskedHeader(std::string& bytes, std::size_t offset, std::uint32_t value, int size,
                     bool jet3);

}  // namespace readertest
