// Damaged files end in a ReadError at a definite operation: never a crash, a hang, a guess or
// another row's values.
#include "JetReader.h"
#include "ReaderTestFiles.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>

using jet::reader::Failure;
using jet::reader::File;
using jet::reader::ReadError;
using jet::reader::Table;

namespace {

// Opens the file and reads every value of every user table; the failure it ended in, if any.
std::optional<Failure> readEverything(const std::filesystem::path& path, std::string& detail) {
    try {
        File file(path.string());
        for (const std::string& name : file.tableNames()) {
            Table t = file.table(name);
            for (std::uint32_t r = 0; r < t.rowCount(); ++r)
                for (std::size_t c = 0; c < t.columns().size(); ++c) {
                    if (jet::reader::readableAsText(t.columns()[c].type)) t.text(r, c);
                    if (jet::reader::readableAsLong(t.columns()[c].type)) t.number(r, c);
                }
        }
    } catch (const ReadError& e) {
        detail = e.what();
        return e.failure();
    }
    return std::nullopt;
}

// The files that broke libmdb. Two of them are damaged only in property blobs that this reader
// never reads: their tables read, and a sign-in ends in "no Students table".
TEST(DamagedFiles, ThoseThatBrokeLibmdbEndInAReadError) {
    const struct {
        const char* file;
        Failure failure;
    } cases[] = {{"hang_mdb_read_props_loop.mdb", Failure::TableNotFound},
                 {"oomabort_mdb_read_props_loop.mdb", Failure::DamagedData},
                 {"segv_mdb_read_props_list.mdb", Failure::TableNotFound},
                 {"segv_mdb_map_find_next_mapsz0.mdb", Failure::NotADatabase}};
    for (const auto& c : cases) {
        const auto path = readertest::dataFile(std::string("damaged/") + c.file);
        std::string detail;
        readEverything(path, detail);
        try {
            File file(path.string());
            Table t = file.table("Students");
            t.rowCount();
            ADD_FAILURE() << c.file << " has a Students table";
        } catch (const ReadError& e) {
            EXPECT_EQ(e.failure(), c.failure) << c.file << ": " << e.what();
        }
    }
}

void putU32(std::uint8_t* p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

struct DamageCase {
    const char* name;
    void (*damage)(readertest::JetBytes&, std::uint32_t tdef, std::uint32_t data);
    Failure failure;
};

class HandMadeDamage : public ::testing::TestWithParam<DamageCase> {};

TEST_P(HandMadeDamage, EndsInAReadError) {
    auto bytes = readertest::written({readertest::students(40)});
    const std::uint32_t tdef = bytes.tableDefPage("Students");
    GetParam().damage(bytes, tdef, bytes.dataPages(tdef).at(0));
    TempDir dir;
    std::string detail;
    const auto failure = readEverything(bytes.save(dir.path(), "d.mdb"), detail);
    ASSERT_TRUE(failure.has_value()) << "read without an error";
    EXPECT_EQ(*failure, GetParam().failure) << detail;
}

// Column entries of our writer's definitions start at 63 (no indexes), 25 bytes each; GrCount
// is the sixth, its fixed offset at 21 and its length at 23.
constexpr std::uint32_t kGrCountEntry = 63 + 5 * 25;

INSTANTIATE_TEST_SUITE_P(
    Damages, HandMadeDamage,
    ::testing::Values(
        DamageCase{"truncatedMidPage",
                   [](readertest::JetBytes& b, std::uint32_t, std::uint32_t) {
                       b.bytes.resize(b.bytes.size() - 1000);
                   },
                   Failure::DamagedData},
        DamageCase{"truncatedByWholePages",
                   [](readertest::JetBytes& b, std::uint32_t, std::uint32_t data) {
                       b.bytes.resize(std::size_t{data} * readertest::JetBytes::kPage);
                   },
                   Failure::DamagedData},
        DamageCase{"usageMapPastTheEnd",
                   [](readertest::JetBytes& b, std::uint32_t tdef, std::uint32_t) {
                       const std::uint8_t* pointer = b.page(tdef) + 55;
                       std::uint8_t* map = b.rowData(pointer[1] | (pointer[2] << 8), pointer[0]);
                       putU32(map + 1, b.pageCount() + 3);  // the inline map's first page
                   },
                   Failure::DamagedData},
        DamageCase{"usageMapNamesAnotherPage",
                   [](readertest::JetBytes& b, std::uint32_t tdef, std::uint32_t) {
                       const std::uint8_t* pointer = b.page(tdef) + 55;
                       std::uint8_t* map = b.rowData(pointer[1] | (pointer[2] << 8), pointer[0]);
                       putU32(map + 1, 2);  // now names the catalogue's definition and data
                   },
                   Failure::DamagedData},
        DamageCase{"dataPageOfAnotherOwner",
                   [](readertest::JetBytes& b, std::uint32_t, std::uint32_t data) {
                       putU32(b.page(data) + 4, 2);
                   },
                   Failure::DamagedData},
        DamageCase{"columnOutsideTheRow",
                   [](readertest::JetBytes& b, std::uint32_t tdef, std::uint32_t) {
                       b.page(tdef)[kGrCountEntry + 21] = 0xF0;
                   },
                   Failure::DamagedData},
        DamageCase{"fixedColumnsOverlap",
                   [](readertest::JetBytes& b, std::uint32_t tdef, std::uint32_t) {
                       b.page(tdef)[kGrCountEntry + 21] = 2;  // StCount holds bytes 0..3
                   },
                   Failure::TableUnreadable},
        DamageCase{"longOfAWrongSize",
                   [](readertest::JetBytes& b, std::uint32_t tdef, std::uint32_t) {
                       b.page(tdef)[kGrCountEntry + 23] = 2;
                   },
                   Failure::TableUnreadable},
        DamageCase{"rowCountsMoreColumnsThanTheTable",
                   [](readertest::JetBytes& b, std::uint32_t, std::uint32_t data) {
                       b.rowData(data, 3)[0] = 9;
                   },
                   Failure::DamagedData},
        DamageCase{"tableDefinedAtTheHeaderPage",
                   [](readertest::JetBytes& b, std::uint32_t tdef, std::uint32_t) {
                       // The catalogue row of Students: its Id (the definition's page) opens the
                       // row.
                       for (std::uint32_t row = 0;; ++row) {
                           std::uint8_t* r = b.rowData(3, row);
                           if (r[2] == tdef && r[3] == 0 && r[4] == 0) {
                               r[2] = 0;
                               return;
                           }
                       }
                   },
                   Failure::TableUnreadable},
        DamageCase{"rowPointerLoop",
                   [](readertest::JetBytes& b, std::uint32_t, std::uint32_t p) {
                       b.setSlotFlags(p, 0, 0x4000);
                       b.pointTo(p, 0, p, 1);
                       b.setSlotFlags(p, 1, 0xC000);
                       b.pointTo(p, 1, p, 2);
                       b.setSlotFlags(p, 2, 0xC000);
                       b.pointTo(p, 2, p, 1);
                   },
                   Failure::DamagedData},
        DamageCase{"rowPointerToNowhere",
                   [](readertest::JetBytes& b, std::uint32_t, std::uint32_t p) {
                       b.setSlotFlags(p, 0, 0x4000);
                       b.pointTo(p, 0, p, 200);
                   },
                   Failure::DamagedData},
        DamageCase{"rowPointerToARowOfTheScan",
                   [](readertest::JetBytes& b, std::uint32_t, std::uint32_t p) {
                       b.setSlotFlags(p, 0, 0x4000);
                       b.pointTo(p, 0, p, 5);
                   },
                   Failure::DamagedData},
        DamageCase{"twoPointersToOneRow",
                   [](readertest::JetBytes& b, std::uint32_t, std::uint32_t p) {
                       for (const std::uint32_t row : {0u, 1u}) {
                           b.setSlotFlags(p, row, 0x4000);
                           b.pointTo(p, row, p, 4);
                       }
                       b.setSlotFlags(p, 4, 0x8000);
                   },
                   Failure::DamagedData},
        DamageCase{"variableOffsetsOutOfOrder",
                   [](readertest::JetBytes& b, std::uint32_t, std::uint32_t p) {
                       // Row 0 ends the page: its null mask (1 byte), column count (2), then
                       // the offsets of variable columns 0, 1, ... backwards.
                       std::uint8_t* end = b.page(p) + readertest::JetBytes::kPage;
                       end[-1 - 2 - 2 - 1] = 0xFF;  // column 1 begins past the others
                   },
                   Failure::DamagedData}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
