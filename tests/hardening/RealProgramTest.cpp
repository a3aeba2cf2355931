// A few bad stations for the real program on a private X server: each ends with status 0 once
// the user has answered its boxes, and leaves the shell "1" (or, where it cannot be written, the
// file as it was), never hanging and never leaving a sign-in record.
#include "TempDir.h"
#include "X11Session.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <functional>
#include <ostream>

namespace fs = std::filesystem;

namespace {

struct BadStation {
    const char* name;
    std::function<void(const fs::path& station, const fs::path& drives)> arrange;
    int boxes;  // answered in turn before the program ends
    const char* handOff;
    bool signIn;  // the boxes come from a sign-in; otherwise from Esc on the panel
};

void PrintTo(const BadStation& c, std::ostream* os) {
    *os << c.name;
}

std::string fileAt(const fs::path& file) {
    const fs::file_status status = fs::symlink_status(file);
    if (!fs::exists(status)) return "<none>";
    if (fs::is_fifo(status)) return "<pipe>";
    return readFile(file);
}

class RealProgram : public ::testing::TestWithParam<BadStation> {
protected:
    X11Session x;
    TempDir dir;
};

TEST_P(RealProgram, AnswersItsBoxesAndEndsWithStatusZero) {
    const BadStation& c = GetParam();
    ASSERT_TRUE(x.ok()) << x.problem();
    const fs::path station = dir / "station";
    const fs::path drives = dir / "drives";
    fs::create_directories(station);
    fs::create_directories(drives / "c/dat_ulmo/as_dbase/trener/01");
    writeFile(station / "__monitor.txt", "monitor\r\n1024x768\r\n1\r\n");
    c.arrange(station, drives);

    ProgramRun run(x, station,
                   {QStringLiteral("VDM_DRIVES=") + QString::fromStdString(drives.string())});
    ASSERT_TRUE(run.started()) << run.report();
    const QString window = run.waitForPanel();
    ASSERT_FALSE(window.isEmpty()) << "no panel\n" << run.report();
    if (c.signIn) {
        run.type(window, QStringLiteral("12345"));
        run.key(window, QStringLiteral("Return"));
    } else {
        run.key(window, QStringLiteral("Escape"));
    }
    QStringList answered{window};
    for (int box = 0; box < c.boxes; ++box) {
        const QString up = run.waitForWindow(answered);
        ASSERT_FALSE(up.isEmpty()) << "box " << box + 1 << " did not come\n" << run.report();
        // Nothing is handed over while a box is still up.
        if (c.handOff == std::string("1")) {
            EXPECT_EQ(fileAt(station / "vdm_out.txt"), "<none>")
                << "handed over under box " << box + 1;
        }
        run.key(up, QStringLiteral("Return"));
        answered << up;
    }
    ASSERT_TRUE(run.waitForEnd()) << "the program did not end\n" << run.report();
    EXPECT_FALSE(run.crashed()) << run.report();
    EXPECT_EQ(run.exitCode(), 0) << run.report();
    EXPECT_EQ(fileAt(station / "vdm_out.txt"), c.handOff);
    EXPECT_EQ(fileAt(station / "db1.out"), "<none>");
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Stations, RealProgram, ::testing::Values(
    BadStation{"monitor_file_of_10_MB_on_one_line",
               [](const fs::path& s, const fs::path&) {
                   writeFile(s / "__monitor.txt", std::string(10u << 20, 'x'));
               },
               1, "1", true},
    // The engine's own description, then the system's message with the path.
    BadStation{"folder_named_dbtrener_mdb",
               [](const fs::path&, const fs::path& d) {
                   fs::create_directory(d / "c/dat_ulmo/as_dbase/trener/01/dbtrener.mdb");
               },
               2, "1", true},
    BadStation{"hand_off_file_a_named_pipe",
               [](const fs::path& s, const fs::path&) {
                   ASSERT_EQ(mkfifo((s / "vdm_out.txt").c_str(), 0666), 0);
               },
               1, "<pipe>", false}),
    [](const auto& info) { return std::string(info.param.name); });
// clang-format on

}  // namespace
