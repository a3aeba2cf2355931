// Files saved with a password are told apart from damaged ones: their pages cannot be read, and
// the technician must save them without the password. Files whose pages are masked with a key
// they hold themselves are not encrypted in that sense and read as any other.
#include "EncryptedFiles.h"
#include "JetReader.h"
#include "ReaderTestFiles.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <functional>

using jet::reader::Failure;
using jet::reader::File;
using jet::reader::ReadError;

namespace {

std::string studentsIn(jetwriter::Format format) {
    jetwriter::Options options;
    options.created = std::chrono::system_clock::time_point{};
    options.format = format;
    return jetwriter::databaseBytes({readertest::students(30)}, options);
}

struct EncryptionCase {
    const char* name;
    std::function<std::string()> file;
    bool encrypted;
};

void PrintTo(const EncryptionCase& c, std::ostream* os) {
    *os << c.name;
}

const EncryptionCase kCases[] = {
    {"aceAgile", [] { return testfiles::officeEncrypted(studentsIn(jetwriter::Format::Ace)); },
     true},
    {"aceRc4CryptoApi",
     [] { return testfiles::officeEncrypted(studentsIn(jetwriter::Format::Ace), 4, 2); }, true},
    {"msisamPasswordKeyed",
     [] { return testfiles::msisamEncrypted(studentsIn(jetwriter::Format::Jet4)); }, true},
    // A Jet4 password guards only the opening in Access; the pages are as without one.
    {"jet4WithADatabasePassword",
     [] {
         std::string bytes = studentsIn(jetwriter::Format::Jet4);
         readertest::setMaskedHeader(bytes, 0x42, 0x00730070, 4, false);  // "ps", UTF-16
         return bytes;
     },
     false},
    {"aceWithoutAnEncodingKey", [] { return studentsIn(jetwriter::Format::Ace); }, false},
};

class Encryption : public ::testing::TestWithParam<EncryptionCase> {};

TEST_P(Encryption, IsToldApartFromDamage) {
    TempDir dir;
    const auto path = dir / "db.mdb";
    writeFile(path, GetParam().file());
    try {
        File file(path.string());
        jet::reader::Table t = file.table("Students");
        ASSERT_EQ(t.rowCount(), 30u);
        EXPECT_EQ(t.text(29, 0), "B29");
        EXPECT_FALSE(GetParam().encrypted) << "read as if not encrypted";
    } catch (const ReadError& e) {
        EXPECT_TRUE(GetParam().encrypted) << e.what();
        EXPECT_EQ(e.failure(), Failure::Encrypted) << e.what();
    }
}

INSTANTIATE_TEST_SUITE_P(Files, Encryption, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
