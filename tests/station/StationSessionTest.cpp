// rulevion-station session on a private X server, as the station's user: the keyboard it
// leaves, and that nothing it started outlives it, however its children behave.
#include <gtest/gtest.h>

#include "StationTool.h"
#include "TempDir.h"
#include "X11Session.h"

#include <filesystem>
#include <string>

namespace fs = std::filesystem;

namespace {

// A station folder, a configuration and a menu script in a folder of their own.
struct SessionPlace {
    TempDir dir;
    fs::path station = dir / "station";
    fs::path config = dir / "station.conf";

    // menu: the menu's shell script; settings: more configuration lines.
    SessionPlace(const std::string& menu, const std::string& settings) {
        fs::create_directory(station);
        writeFile(dir / "menu.sh", "#!/bin/sh\n" + menu);
        fs::permissions(dir / "menu.sh", fs::perms::owner_all);
        writeFile(config, "menu=" + (dir / "menu.sh").string() + "\nfolder=" + station.string() +
                              "\n" + settings);
    }

    ToolResult run(const X11Session& x) {
        return runStationAsUser({"session", "--config", config.string()}, dir.path(), dir.path(),
                                {{"DISPLAY", x.display().toStdString()}});
    }
};

// The console keys are locked whatever layouts= says: none, the usual ones, ones the X server
// does not know.
TEST(StationSessionKeyboard, ConsoleKeysLockedWhateverTheLayouts) {
    X11Session x;
    ASSERT_TRUE(x.ok()) << x.problem();
    struct Row {
        const char* settings;
        const char* layout;  // in the X server's keymap afterwards
    };
    const Row rows[] = {
        {"layouts=\n", ""},
        {"layouts=us,ru\n", "us,ru"},
        {"layouts=no-such-layout\n", ""},
        {"layouts=us,ru\nlayout-switch=no:such-option\n", ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.settings);
        // What a server may have been started with: no locks at all.
        x.tool(QStringLiteral("setxkbmap"),
               {QStringLiteral("-layout"), QStringLiteral("us"), QStringLiteral("-option"),
                QString()});
        SessionPlace place("setxkbmap -query > xkb.txt\nprintf 0 > vdm_out.txt\n",
                           std::string("window-manager=\n") + row.settings);
        const ToolResult r = place.run(x);
        ASSERT_TRUE(r.finished && r.exitCode == 0) << r.err;
        const std::string query = readFile(place.station / "xkb.txt");
        EXPECT_NE(query.find("srvrkeys:none"), std::string::npos) << query << r.err;
        if (*row.layout)
            EXPECT_NE(query.find(std::string("layout:     ") + row.layout), std::string::npos)
                << query;
    }
}

}  // namespace
