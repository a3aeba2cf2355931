#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

// Reads tables of a Jet database file (Jet3, Jet4, ACE; not encrypted) the way the sign-in needs:
// a user table by name, its live rows in table order, each value as CP1251 text or a 32-bit
// number. The file is untrusted: whatever does not add up ends in a ReadError, never in a guess.
namespace jet::reader {

enum class Failure {
    CannotOpenFile,
    NotADatabase,
    TableNotFound,
    TableUnreadable,
    DamagedData,
    Encrypted,  // its pages are encrypted with a key the file does not hold (a password)
};

// what() is a short English detail for logs and tests; the caller words the message for people.
class ReadError : public std::runtime_error {
public:
    ReadError(Failure f, const std::string& detail);
    Failure failure() const { return failure_; }

private:
    Failure failure_;
};

// Jet column type codes; codes not named here (Complex 0x12, BigInt 0x13, ...) are kept raw.
enum class ColumnType : std::uint8_t {
    Boolean = 1,
    Byte = 2,
    Integer = 3,
    Long = 4,
    Currency = 5,
    Single = 6,
    Double = 7,
    DateTime = 8,
    Binary = 9,
    Text = 10,
    Ole = 11,
    Memo = 12,
    Guid = 15,
    Decimal = 16,
    BigInt = 19,
};

struct Column {
    std::string name;       // CP1251
    std::uint8_t type = 0;  // raw code, see ColumnType
    // Where the value lives in a row, as the table definition says.
    bool fixed = false;
    std::uint16_t number = 0;       // the column's number, its bit in the null mask
    std::uint16_t varIndex = 0;     // variable columns: index in the row's offset table
    std::uint16_t fixedOffset = 0;  // fixed columns: offset after the row's column count
    std::uint16_t length = 0;       // fixed columns: size in bytes
    std::uint8_t precision = 0;     // Decimal
    std::uint8_t scale = 0;         // Decimal
    // An expression's result Access stores with the row (Access 2010 and later): `type` is the
    // result's type, each value is wrapped, and a Yes/No result is not kept in the null mask.
    bool calculated = false;
};

// What a value becomes where the caller wants text or a 32-bit number.
bool readableAsText(std::uint8_t type);  // Text, Memo, every number kind
bool readableAsLong(std::uint8_t type);  // every number kind

// The English name of a type code for error texts ("DateTime", "type 0x12").
std::string typeName(std::uint8_t type);

class File;

class Table {
public:
    Table(Table&&) noexcept;
    Table& operator=(Table&&) noexcept;
    ~Table();

    const std::vector<Column>& columns() const;
    std::uint32_t definedRowCount() const;  // the count the table definition stores
    // Scans the table's data pages once (first call) and returns how many live rows there are.
    // Throws ReadError(DamagedData) on damage. Rows are numbered 0..n-1 in table order.
    std::uint32_t rowCount();
    std::string text(std::uint32_t row, std::size_t column);     // CP1251; Null -> ""
    std::int32_t number(std::uint32_t row, std::size_t column);  // Null -> 0
    // As text(), into a buffer the caller reuses across rows (no allocation per row), cut after
    // `limit` characters: a long value is decoded no further than that.
    void textInto(std::uint32_t row, std::size_t column, std::string& out,
                  std::size_t limit = std::string::npos);
    bool isNull(std::uint32_t row, std::size_t column);
    // Whether text() equals `cp1251` ignoring letter case (cp1251::equalIgnoringCase), decoding
    // no more of the value than that takes.
    bool textEquals(std::uint32_t row, std::size_t column, std::string_view cp1251);

    struct Impl;  // the reader's own
    explicit Table(std::unique_ptr<Impl> impl);

private:
    std::unique_ptr<Impl> impl_;
};

class File {
public:
    explicit File(const std::string& path);  // CannotOpenFile / NotADatabase / Encrypted
    // An open regular file, owned from then on; only pread and lseek are used on it.
    explicit File(int fd);
    File(File&&) noexcept;
    File& operator=(File&&) noexcept;
    ~File();

    // A user table; the name is compared with cp1251::equalIgnoringCase.
    Table table(std::string_view nameCp1251);  // TableNotFound / TableUnreadable
    // The same among the tables Access keeps for itself (MSys...), for checks and tools.
    Table systemTable(std::string_view nameCp1251);

    // The user tables' names (CP1251), in catalogue order.
    std::vector<std::string> tableNames() const;

    enum class Format { Jet3, Jet4, Ace };
    Format format() const;

    struct Impl;  // the reader's own

private:
    void readTables();
    // Shared with the tables it hands out, so a table stays readable after its File is gone.
    std::shared_ptr<Impl> impl_;
};

}  // namespace jet::reader
