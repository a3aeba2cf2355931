#pragma once

#include "CalculatedValue.h"
#include "DataPage.h"
#include "HugePages.h"
#include "JetReader.h"
#include "TableDef.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace jet::reader {

// The live rows of one table, found by one scan. Each row is kept as a view of a page that the
// file holds unchanged for as long as it lives, so row i always has the bytes of the same row.
struct Table::Impl {
    Impl(std::shared_ptr<File::Impl> file, detail::TableDef def);

    void scan();

    // One value of a row, located and bounds-checked.
    struct Field {
        bool present = false;  // false: Null (a Boolean's false is present with `truth` unset)
        bool truth = false;
        const std::uint8_t* data = nullptr;
        std::uint32_t size = 0;
    };
    Field field(std::uint32_t row, std::size_t column);
    // At most `limit` characters of the value as text.
    void appendText(std::uint32_t row, std::size_t column, std::string& out,
                    std::size_t limit = std::string::npos);
    std::int32_t number(std::uint32_t row, std::size_t column);
    bool textEquals(std::uint32_t row, std::size_t column, std::string_view text);

    std::shared_ptr<File::Impl> file;
    detail::TableDef def;
    bool scanned = false;
    struct Row {
        const std::uint8_t* data;
        std::uint32_t size;
    };
    std::vector<Row, detail::HugePageAllocator<Row>> rows;
    std::string scratch;   // long values gathered from a chain of pages
    std::string compared;  // a value decoded to be compared

private:
    Field locate(std::uint32_t row, std::size_t column);  // field()'s work
    void addPage(std::uint32_t number);
    void addMoved(const detail::Slot& pointer);
    void checkRow(const Row& row) const;
    std::uint32_t fixedEndFor(std::uint32_t colCount) const;
    // A calculated value out of its wrapper; others as they are.
    static Field unwrapped(const Column& c, Field v);
    // The column a number value is decoded as, and the value in that column's stored form: a
    // calculated Decimal carries its own scale and is rewritten into decimal_.
    const Column& numberForm(const Column& c, Field& v);
    const std::uint8_t* ownedDataPage(std::uint32_t number);

    std::vector<std::uint32_t> movedTargets_;
    struct VarColumn {
        std::uint16_t number;
        std::uint16_t index;
    };
    std::vector<VarColumn> varColumns_;
    // A row that counts every column of the table, the common case, is checked against these
    // worked out once: where its variable data may start, how many offsets it must have, and
    // the null-mask bits of its variable columns (all set: no Null to check for bytes).
    std::uint32_t fullDataStart_ = 0;
    std::uint32_t fullVarSlots_ = 0;
    std::vector<std::uint8_t> varMask_;
    Column decimalColumn_;
    detail::CalculatedDecimal decimal_;
};

}  // namespace jet::reader
