// Rows that Access moved or deleted, as the writer lays them out. mdbtools and mdb-reader skip
// the pointers and read every 0x8000 row in page order, so they are checked only on files where
// that still gives the live rows; elsewhere the test shows that they do not.
#include <gtest/gtest.h>
#include <QJsonArray>
#include <QJsonDocument>

#include <map>

#include "JetWriter.h"
#include "Readers.h"
#include "TempDir.h"

using jetwriter::ColumnType;
using jetwriter::Format;
using jetwriter::Row;
using jetwriter::RowPlacement;
using jetwriter::Table;

namespace {

Table students(std::vector<RowPlacement> placements) {
    Table t{"Students", {{"StBook", ColumnType::Text, 50}, {"StCount", ColumnType::Long}}, {}};
    for (std::size_t i = 0; i < placements.size(); ++i)
        t.rows.push_back({"B" + std::to_string(i), static_cast<int>(i)});
    t.placements = std::move(placements);
    return t;
}

std::uint32_t u16(const std::string& b, std::size_t at) {
    return static_cast<unsigned char>(b[at]) | static_cast<unsigned char>(b[at + 1]) << 8;
}

std::uint32_t u32(const std::string& b, std::size_t at) {
    return u16(b, at) | u16(b, at + 2) << 16;
}

struct Slot {
    std::uint16_t flags;
    std::string bytes;
};

// The one user table's rows as they lie on its data pages, by page and row number, and the
// row count its definition gives.
struct TableOnDisk {
    std::map<std::pair<std::uint32_t, std::uint32_t>, Slot> places;
    std::vector<std::pair<std::uint32_t, std::uint32_t>> order;  // primary pages first
    std::uint32_t rowCount = 0;
};

TableOnDisk tableOnDisk(const std::string& file, Format format) {
    const bool jet3 = format == Format::Jet3;
    const std::size_t pageSize = jet3 ? 2048 : 4096;
    const std::size_t countAt = jet3 ? 8 : 12;
    TableOnDisk t;
    std::uint32_t tdef = 0;
    for (std::uint32_t p = 3; p * pageSize < file.size() && tdef == 0; ++p) {
        if (file[p * pageSize] == 0x02) tdef = p;
    }
    t.rowCount = u32(file, tdef * pageSize + (jet3 ? 12 : 16));
    for (std::uint32_t p = tdef + 1; p * pageSize < file.size(); ++p) {
        const std::string page = file.substr(p * pageSize, pageSize);
        if (page[0] != 0x01 || u32(page, 4) != tdef) continue;
        std::size_t end = pageSize;
        for (std::uint32_t r = 0; r < u16(page, countAt); ++r) {
            const std::uint32_t entry = u16(page, countAt + 2 + 2 * r);
            const std::size_t start = entry & 0x1FFF;
            t.places[{p, r}] = {static_cast<std::uint16_t>(entry & 0xC000),
                               page.substr(start, end - start)};
            t.order.emplace_back(p, r);
            end = start;
        }
    }
    return t;
}

// Where a pointer row points: its row number byte, then a 3-byte page number.
std::pair<std::uint32_t, std::uint32_t> target(const Slot& pointer) {
    return {u32(pointer.bytes, 0) >> 8, static_cast<unsigned char>(pointer.bytes[0])};
}

bool holds(const Slot& s, const std::string& book, Format format) {
    std::string stored;
    for (char c : book) {
        stored.push_back(c);
        if (format != Format::Jet3) stored.push_back('\0');  // two characters stay UTF-16
    }
    return s.bytes.find(stored) != std::string::npos;
}

class MovedRows : public testing::TestWithParam<Format> {};

TEST_P(MovedRows, LieOnThePagesAsAccessLeavesThem) {
    const Format format = GetParam();
    Table t = students({RowPlacement::InPlace, RowPlacement::Moved, RowPlacement::MovedTwice,
                        RowPlacement::MovedThenDeleted, RowPlacement::Deleted});
    t.staleCopies[2] = {"O2", 20};
    jetwriter::Options options;
    options.format = format;
    const TableOnDisk disk = tableOnDisk(jetwriter::databaseBytes({t}, options), format);

    // The original places come first, in row order: one per row.
    ASSERT_GE(disk.order.size(), 5u);
    std::vector<Slot> original;
    for (std::size_t i = 0; i < 5; ++i) original.push_back(disk.places.at(disk.order[i]));
    EXPECT_EQ(original[0].flags, 0);
    EXPECT_TRUE(holds(original[0], "B0", format));
    EXPECT_EQ(original[4].flags, 0xC000);
    EXPECT_TRUE(holds(original[4], "B4", format));

    for (std::size_t i : {1, 2, 3}) {
        SCOPED_TRACE("row " + std::to_string(i));
        EXPECT_EQ(original[i].flags, i == 3 ? 0xC000 : 0x4000);
        ASSERT_EQ(original[i].bytes.size(), 4u);
        const auto data = disk.places.find(target(original[i]));
        ASSERT_NE(data, disk.places.end());
        EXPECT_EQ(data->second.flags, 0x8000);
        EXPECT_TRUE(holds(data->second, "B" + std::to_string(i), format));
    }
    // Moved twice: the earlier copy stays behind, flagged, and nothing points to it.
    const auto stale = std::find_if(disk.places.begin(), disk.places.end(),
                                    [&](const auto& s) { return holds(s.second, "O2", format); });
    ASSERT_NE(stale, disk.places.end());
    EXPECT_EQ(stale->second.flags, 0x8000);
    EXPECT_NE(stale->first, target(original[2]));
    EXPECT_EQ(disk.places.size(), 9u);  // five original places, four data rows
    EXPECT_EQ(disk.rowCount, 3u);      // B0, B1, B2
}

INSTANTIATE_TEST_SUITE_P(Writer, MovedRows,
                         testing::Values(Format::Jet4, Format::Jet3, Format::Ace));

std::string exported(const Table& t, Format format) {
    TempDir dir;
    const std::string file = (dir / "moved.mdb").string();
    jetwriter::Options options;
    options.format = format;
    jetwriter::writeDatabase(file, {t}, options);
    return mdbTool("mdb-export", {file, t.name});
}

// With every left-behind copy flagged 0xC000 the readers find the live rows; they meet the moved
// rows' data on the later pages, so those come last.
TEST(MovedRowsReaders, ReadTheLiveRowsWhenLeftBehindCopiesAreMarkedDeleted) {
    Table t = students({RowPlacement::Moved, RowPlacement::InPlace,
                        RowPlacement::MovedTwiceStaleMarkedDeleted,
                        RowPlacement::MovedThenDeletedCopyMarkedDeleted, RowPlacement::InPlace});
    t.staleCopies[2] = {"O2", 20};
    for (Format format : {Format::Jet4, Format::Jet3}) {
        EXPECT_EQ(exported(t, format), "StBook,StCount\n\"B1\",1\n\"B4\",4\n\"B0\",0\n\"B2\",2\n");
    }

    TempDir dir;
    const std::string file = (dir / "moved.mdb").string();
    jetwriter::writeDatabase(file, {t});
    const QJsonObject got = readWithMdbReader(file)["data"].toObject()["Students"].toObject();
    EXPECT_EQ(got["rowCount"].toInteger(), 4);
    EXPECT_EQ(got["rows"].toArray(), (QJsonArray{QJsonArray{"B1", 1}, QJsonArray{"B4", 4},
                                                 QJsonArray{"B0", 0}, QJsonArray{"B2", 2}}));
}

// The files that tell a correct reader from libmdb: it returns the stale copy of a row moved
// twice and the data of a row moved and then deleted.
TEST(MovedRowsReaders, LibmdbReturnsStaleAndDeletedRows) {
    Table t =
        students({RowPlacement::InPlace, RowPlacement::MovedTwice, RowPlacement::MovedThenDeleted});
    t.staleCopies[1] = {"OLD1", 10};
    for (Format format : {Format::Jet4, Format::Jet3, Format::Ace}) {
        EXPECT_EQ(exported(t, format),
                  "StBook,StCount\n\"B0\",0\n\"OLD1\",10\n\"B1\",1\n\"B2\",2\n");
    }
}

}  // namespace
