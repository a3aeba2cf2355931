#include "ReaderTestFiles.h"

#include "CsvClassList.h"
#include "Encryption.h"
#include "PageFile.h"
#include "TempDir.h"

#include <cstdlib>
#include <stdexcept>

namespace readertest {

std::filesystem::path dataFile(const std::string& relative) {
    const char* dir = std::getenv("RV_TEST_DATA");
    if (!dir) throw std::runtime_error("RV_TEST_DATA is not set");
    return std::filesystem::path(dir) / relative;
}

jetwriter::Table students(int rows) {
    jetwriter::Table t = classlist::studentsTable();
    for (int i = 0; i < rows; ++i) {
        jetwriter::Value num;
        if (i % 2 == 0) num = std::to_string(i);
        t.rows.push_back({"B" + std::to_string(i), "Имя " + std::to_string(i), num,
                          std::string("Группа"), std::int32_t{i}, std::int32_t{-i}});
    }
    return t;
}

JetBytes written(const std::vector<jetwriter::Table>& tables, jetwriter::Format format) {
    jetwriter::Options options;
    options.created = std::chrono::system_clock::time_point{};
    options.format = format;
    JetBytes file{jetwriter::databaseBytes(tables, options)};
    if (format == jetwriter::Format::Jet3) file.pageSize = 2048;
    return file;
}

std::uint32_t JetBytes::firstTableDefPage() const {
    for (std::uint32_t n = 3; n < pageCount(); ++n)
        if (static_cast<std::uint8_t>(bytes[std::size_t{n} * pageSize]) == 0x02) return n;
    throw std::runtime_error("no table definition");
}

std::vector<std::uint32_t> JetBytes::dataPages(std::uint32_t tdef) {
    std::vector<std::uint32_t> pages;
    for (std::uint32_t n = 3; n < pageCount(); ++n) {
        const std::uint8_t* p = page(n);
        const std::uint32_t owner = p[4] | (p[5] << 8) | (p[6] << 16) | (std::uint32_t{p[7]} << 24);
        if (p[0] == 0x01 && owner == tdef) pages.push_back(n);
    }
    return pages;
}

std::uint16_t JetBytes::slot(std::uint32_t n, std::uint32_t row) {
    const std::uint8_t* p = page(n) + rowTable() + 2 * row;
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

void JetBytes::setSlotFlags(std::uint32_t n, std::uint32_t row, std::uint16_t flags) {
    const std::uint16_t v = static_cast<std::uint16_t>((slot(n, row) & 0x1FFF) | flags);
    std::uint8_t* p = page(n) + rowTable() + 2 * row;
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
}

std::uint8_t* JetBytes::rowData(std::uint32_t n, std::uint32_t row) {
    return page(n) + (slot(n, row) & 0x1FFF);
}

void JetBytes::pointTo(std::uint32_t n, std::uint32_t row, std::uint32_t toPage,
                       std::uint32_t toRow) {
    std::uint8_t* r = rowData(n, row);
    r[0] = static_cast<std::uint8_t>(toRow);
    r[1] = static_cast<std::uint8_t>(toPage);
    r[2] = static_cast<std::uint8_t>(toPage >> 8);
    r[3] = static_cast<std::uint8_t>(toPage >> 16);
}

std::filesystem::path JetBytes::save(const std::filesystem::path& dir,
                                     const std::string& name) const {
    const auto path = dir / name;
    writeFile(path, bytes);
    return path;
}

void setMaskedHeader(std::string& bytes, std::size_t offset, std::uint32_t value, int size,
                     bool jet3) {
    static const std::uint8_t key[4] = {0xC7, 0xDA, 0x39, 0x6B};
    auto* region = reinterpret_cast<std::uint8_t*>(bytes.data()) + 0x18;
    const std::size_t length = jet3 ? 126 : 128;
    jet::reader::detail::rc4(key, 4, region, length);
    for (int i = 0; i < size; ++i)
        region[offset - 0x18 + i] = static_cast<std::uint8_t>(value >> (8 * i));
    jet::reader::detail::rc4(key, 4, region, length);
}

}  // namespace readertest
