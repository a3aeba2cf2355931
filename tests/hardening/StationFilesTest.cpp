// Bad station files at a sign-in: the monitor file, the student database, and the two files the
// program writes. Each row runs in a child with a deadline, so a hang shows as a failure, and
// some as the station's unprivileged user, for whom file permissions hold.
#include "MessageCatalogue.h"
#include "Station.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <functional>
#include <ostream>

namespace fs = std::filesystem;
namespace {

const fs::perms kReadOnlyFolder =
    kReadOnlyFile | fs::perms::owner_exec | fs::perms::group_exec | fs::perms::others_exec;

// A row: the station made bad, the boxes the user sees, and what the files hold afterwards.
// Every row ends in the fatal exit with status 0.
struct StationRow {
    const char* name;
    std::function<void(const Station&)> arrange;  // starts from a good monitor file, no database
    std::vector<Box> boxes;
    bool unprivileged;
    std::optional<std::string> handOff;  // vdm_out.txt afterwards
    std::optional<std::string> record;   // db1.out afterwards
};

void PrintTo(const StationRow& row, std::ostream* os) {
    *os << row.name;
}

std::string rowName(const ::testing::TestParamInfo<StationRow>& info) {
    std::string name;
    for (const char* c = info.param.name; *c; ++c)
        name += std::isalnum(static_cast<unsigned char>(*c)) ? *c : '_';
    return name;
}

class StationFiles : public ::testing::TestWithParam<StationRow> {};

TEST_P(StationFiles, EndInTheirBoxesAndTheFatalExit) {
    const StationRow& row = GetParam();
    Station station;
    if (row.unprivileged) station.openToEveryone();
    row.arrange(station);

    const ChildResult child = runWithDeadline(
        [&] {
            ScopedCwd cwd(station.folder());
            SignInRun run;
            run.services.answerOk(row.boxes.size());
            return pressOk(run, "12345", [&](const SignInRun& r) {
                std::string why = compareBoxes(r, row.boxes);
                if (!r.ended) why += " the run went on";
                if (r.view.label != "label before sign-in") why += " the label changed";
                return why;
            });
        },
        kChildDeadline, row.unprivileged);
    ASSERT_TRUE(child.finished) << "the sign-in hung";
    EXPECT_EQ(child.status, 0) << child.report;
    EXPECT_EQ(child.report, "");
    EXPECT_EQ(station.file("vdm_out.txt"), row.handOff);
    EXPECT_EQ(station.file("db1.out"), row.record);
}

void link(const Station& s, const std::string& name, const char* target) {
    fs::create_symlink(target, s.folder() / name);
}

void pipeAt(const fs::path& path) {
    fs::remove(path);
    ASSERT_EQ(mkfifo(path.c_str(), 0666), 0);
}

std::string garbage(std::size_t n) {
    std::string bytes;
    for (std::size_t i = 0; bytes.size() < n; ++i) {
        const char c = static_cast<char>((i * 37 + 0x80) & 0xFF);
        if (c != '\n' && c != '0' && c != '1') bytes += c;
    }
    return bytes;
}

const std::string kMonitorFile = "__monitor.txt";
const std::string kTenMegabytes(10u << 20, 'x');

// A drive the monitor file picked shows as the database it looks for there (none in these rows).
const Box kNoDatabaseOnC{slot::kNoDatabaseFile, kPathC};
const Box kCannotRead{slot::kCannotReadMonitor, kMonitorFile};
const Box kWrongStructure{slot::kWrongMonitor, kMonitorFile};

// clang-format off
INSTANTIATE_TEST_SUITE_P(MonitorFile, StationFiles, ::testing::Values(
    StationRow{"binary garbage", [](const Station& s) { s.monitor(garbage(4096)); },
               {kWrongStructure}, false, "1", std::nullopt},
    StationRow{"NUL bytes only", [](const Station& s) { s.monitor(std::string(1000, '\0')); },
               {kWrongStructure}, false, "1", std::nullopt},
    StationRow{"NUL bytes in the first two lines",
               [](const Station& s) { s.monitor(std::string("a\0b\r\n\0\0\r\n1\r\n", 12)); },
               {kNoDatabaseOnC}, false, "1", std::nullopt},
    StationRow{"UTF-16 with byte-order mark",
               [](const Station& s) {
                   s.monitor(std::string("\xFF\xFEm\0\r\0\n\0s\0\r\0\n\0" "1\0\r\0\n\0", 20));
               },
               {kWrongStructure}, false, "1", std::nullopt},
    StationRow{"UTF-8 byte-order mark",
               [](const Station& s) { s.monitor("\xEF\xBB\xBFmonitor\r\nstation\r\n1\r\n"); },
               {kNoDatabaseOnC}, false, "1", std::nullopt},
    StationRow{"10 MB on one line", [](const Station& s) { s.monitor(kTenMegabytes); },
               {kWrongStructure}, false, "1", std::nullopt},
    StationRow{"10 MB after three good lines",
               [](const Station& s) { s.monitor("a\r\nb\r\n1\r\n" + kTenMegabytes); },
               {kNoDatabaseOnC}, false, "1", std::nullopt},
    StationRow{"endless, a link to dev zero",
               [](const Station& s) {
                   fs::remove(s.folder() / kMonitorFile);
                   link(s, kMonitorFile, "/dev/zero");
               },
               {kWrongStructure}, false, "1", std::nullopt},
    StationRow{"dangling link",
               [](const Station& s) {
                   fs::remove(s.folder() / kMonitorFile);
                   link(s, kMonitorFile, "elsewhere/__monitor.txt");
               },
               {{slot::kCannotOpenMonitor, kMonitorFile}}, false, "1", std::nullopt},
    StationRow{"no read permission",
               [](const Station& s) { fs::permissions(s.folder() / kMonitorFile, fs::perms::none); },
               {{slot::kCannotOpenMonitor, kMonitorFile}}, true, "1", std::nullopt},
    StationRow{"named pipe", [](const Station& s) { pipeAt(s.folder() / kMonitorFile); },
               {kCannotRead}, false, "1", std::nullopt}),
    rowName);

const Box kCannotOpenDatabase{slot::kCannotOpenDatabase, kPathC};

const Box kNoStudentsTable{slot::kNoStudentsTable, ""};

// Two of the files that broke libmdb read as databases without a table Students; the other two
// are refused as files.
StationRow reproducer(const char* file, const Box& box) {
    return {file, [file](const Station& s) { s.databaseFrom(std::string("damaged/") + file); },
            {{kEngineBox, ""}, box}, false, "1", std::nullopt};
}

INSTANTIATE_TEST_SUITE_P(Database, StationFiles, ::testing::Values(
    reproducer("hang_mdb_read_props_loop.mdb", kNoStudentsTable),
    reproducer("oomabort_mdb_read_props_loop.mdb", kCannotOpenDatabase),
    reproducer("segv_mdb_read_props_list.mdb", kNoStudentsTable),
    reproducer("segv_mdb_map_find_next_mapsz0.mdb", kCannotOpenDatabase),
    StationRow{"a folder named dbtrener.mdb",
               [](const Station& s) { fs::create_directory(s.databaseFile()); },
               {{kEngineBox, ""}, kCannotOpenDatabase}, false, "1", std::nullopt},
    StationRow{"no read permission",
               [](const Station& s) {
                   s.databaseFrom("jet/students_small.mdb");
                   fs::permissions(s.databaseFile(), fs::perms::none);
               },
               {kNoDatabaseOnC}, true, "1", std::nullopt},
    StationRow{"a device, a link to dev zero",
               [](const Station& s) { fs::create_symlink("/dev/zero", s.databaseFile()); },
               {{kEngineBox, ""}, kCannotOpenDatabase}, false, "1", std::nullopt},
    StationRow{"named pipe", [](const Station& s) { pipeAt(s.databaseFile()); },
               {{kEngineBox, ""}, kCannotOpenDatabase}, false, "1", std::nullopt}),
    rowName);

// The student is found; only the record or the hand-off cannot be written.
void withStudents(const Station& s) {
    s.databaseFrom("jet/students_small.mdb");
}

INSTANTIATE_TEST_SUITE_P(Outputs, StationFiles, ::testing::Values(
    StationRow{"db1.out read-only",
               [](const Station& s) {
                   withStudents(s);
                   writeFile(s.folder() / "db1.out", "earlier run\r\n");
                   fs::permissions(s.folder() / "db1.out", kReadOnlyFile);
               },
               {{slot::kCannotCreateRecord, ""}}, true, "1", "earlier run\r\n"},
    StationRow{"read-only station folder",
               [](const Station& s) {
                   withStudents(s);
                   fs::permissions(s.folder(), kReadOnlyFolder);
               },
               {{slot::kCannotCreateRecord, ""}}, true, std::nullopt, std::nullopt},
    StationRow{"db1.out named pipe",
               [](const Station& s) {
                   withStudents(s);
                   pipeAt(s.folder() / "db1.out");
               },
               {{slot::kCannotCreateRecord, ""}}, false, "1", "<pipe>"},
    StationRow{"vdm_out.txt on a full disk",
               [](const Station& s) {
                   fs::remove(s.folder() / kMonitorFile);
                   link(s, "vdm_out.txt", "/dev/full");
               },
               {{slot::kCannotOpenMonitor, kMonitorFile}}, false, "-> /dev/full", std::nullopt},
    StationRow{"vdm_out.txt read-only",
               [](const Station& s) {
                   fs::remove(s.folder() / kMonitorFile);
                   writeFile(s.folder() / "vdm_out.txt", "2");
                   fs::permissions(s.folder() / "vdm_out.txt", kReadOnlyFile);
               },
               {{slot::kCannotOpenMonitor, kMonitorFile}}, true, "2", std::nullopt},
    StationRow{"vdm_out.txt named pipe",
               [](const Station& s) {
                   fs::remove(s.folder() / kMonitorFile);
                   pipeAt(s.folder() / "vdm_out.txt");
               },
               {{slot::kCannotOpenMonitor, kMonitorFile}}, false, "<pipe>", std::nullopt}),
    rowName);
// clang-format on

}  // namespace
