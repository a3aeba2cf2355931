#pragma once

#include "JetReader.h"
#include "PageFile.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace jet::reader {

struct File::Impl {
    explicit Impl(const std::string& path) : pages(path) {}
    explicit Impl(int fd) : pages(fd) {}
    detail::PageFile pages;
    struct Entry {
        std::string name;  // CP1251
        std::uint32_t page;
        bool system;
        // Its LvProp field as the catalogue row holds it (the row stays in a held page); read
        // only for a table with calculated columns.
        const std::uint8_t* properties = nullptr;
        std::uint32_t propertiesSize = 0;
    };
    std::vector<Entry> tables;
    Table open(std::string_view name, bool system, const std::shared_ptr<Impl>& self);
};

}  // namespace jet::reader
