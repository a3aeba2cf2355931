// rulevion-station session on a private X server, as the station's user: the keyboard it
// leaves, and that nothing it started outlives it, however its children behave.
#include <gtest/gtest.h>

#include "StationTool.h"
#include "TempDir.h"
#include "X11Session.h"

#include <QElapsedTimer>
#include <QThread>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

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

    std::vector<std::string> args() const { return {"session", "--config", config.string()}; }
    std::map<std::string, std::string> env(const X11Session& x) const {
        return {{"DISPLAY", x.display().toStdString()}};
    }
    ToolResult run(const X11Session& x) {
        return runStationAsUser(args(), dir.path(), dir.path(), env(x));
    }
};

// The process whose id a test's script wrote to file, if it still runs (a zombie does not).
bool stillRuns(const fs::path& pidFile) {
    std::error_code ec;
    if (!fs::exists(pidFile, ec)) return false;
    const std::string pid = readFile(pidFile);
    if (pid.empty()) return false;
    std::ifstream stat("/proc/" + pid.substr(0, pid.find('\n')) + "/stat");
    std::string line;
    if (!std::getline(stat, line)) return false;
    const size_t close = line.rfind(')');
    return close != std::string::npos && close + 2 < line.size() && line[close + 2] != 'Z';
}

void waitForPidFile(const fs::path& file) {
    waitForFile(file, [](const std::string& text) { return text.find('\n') != std::string::npos; });
}

// Each script writes the id of a process it starts into a file of the folder it runs in, so that
// the test can tell afterwards whether that process outlived the session.
const char* kLeavesProcessesBehind =
    // A process with no environment at all, and one that also left the process group.
    "env -i /bin/sh -c '/bin/sleep 1000 & echo $! > left-env-i.pid'\n"
    "env -i /usr/bin/setsid /bin/sh -c '/bin/sleep 1001 & echo $! > left-setsid.pid'\n"
    "printf 0 > vdm_out.txt\n";

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

// Nothing the session started outlives it, even a process started with an empty environment or
// in a session of its own: the session is their subreaper and ends all that is below it.
TEST(StationSessionEnd, NothingItStartedOutlivesIt) {
    X11Session x;
    ASSERT_TRUE(x.ok()) << x.problem();
    SessionPlace place(kLeavesProcessesBehind, "window-manager=\n");
    const ToolResult r = place.run(x);
    ASSERT_TRUE(r.finished && r.exitCode == 0) << r.err;
    for (const char* left : {"left-env-i.pid", "left-setsid.pid"}) {
        ASSERT_FALSE(readFile(place.station / left).empty()) << left << r.err;
        EXPECT_FALSE(stillRuns(place.station / left)) << left << " outlived the session\n" << r.err;
    }
    EXPECT_NE(r.err.find("the session ends what is still running: sleep"), std::string::npos)
        << r.err;
    // The technician finds the session's start and end in the log, around what it ended.
    const std::string log = readFile(stationLogFile(place.dir.path()));
    const size_t start = log.find("the session starts on display " + x.display().toStdString());
    const size_t leftovers = log.find("the session ends what is still running");
    const size_t end = log.find("the session ends: the menu decided to leave");
    EXPECT_TRUE(start < leftovers && leftovers < end && end != std::string::npos) << log;
}

// A window manager that ignores SIGTERM does not hold the end: it is killed after its deadline.
TEST(StationSessionEnd, WindowManagerThatIgnoresTheStopIsKilled) {
    X11Session x;
    ASSERT_TRUE(x.ok()) << x.problem();
    TempDir marks;  // the window manager's, where the station's user may write
    fs::permissions(marks.path(), fs::perms::all);
    const fs::path wmPid = marks / "wm.pid";
    SessionPlace place("while [ ! -s " + wmPid.string() +
                           " ]; do sleep 0.05; done\nprintf 0 > vdm_out.txt\n",
                       "window-manager=/bin/sh -c 'trap \"\" TERM; echo $$ > " + wmPid.string() +
                           "; while :; do sleep 1; done'\n");
    const ToolResult r = place.run(x);
    ASSERT_TRUE(r.finished) << "the session did not end; it said:\n" << r.err;
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_FALSE(stillRuns(wmPid)) << r.err;
    EXPECT_NE(r.err.find("the window manager did not end within 3 s; it was killed"),
              std::string::npos)
        << r.err;
}

// A stop at any moment ends the session, and nothing is left: before anything started, once the
// window manager runs, and while a menu runs that ignores SIGTERM (started through exec, so that
// no shell between it and the session ends in its place): that one is killed after a deadline.
TEST(StationSessionEnd, StopAtAnyMomentEndsTheSession) {
    X11Session x;
    ASSERT_TRUE(x.ok()) << x.problem();
    struct Row {
        const char* name;
        const char* waitFor;  // the file in the station folder to wait for before the stop
        const char* menu;
        bool execMenu;
    };
    const Row rows[] = {
        {"right at the start", nullptr, "echo $$ > menu.pid\nexec sleep 1000\n", false},
        {"once the window manager runs", "wm.pid", "echo $$ > menu.pid\nexec sleep 1000\n", false},
        {"while a menu runs that ignores the stop", "menu.pid",
         "trap '' TERM\necho $$ > menu.pid\nwhile :; do sleep 1; done\n", true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        SessionPlace place(row.menu, "");
        writeFile(place.config, readFile(place.config) +
                                    "window-manager=/bin/sh -c 'echo $$ > " +
                                    (place.station / "wm.pid").string() +
                                    "; exec sleep 1000'\n" +
                                    (row.execMenu ? "menu=exec " + (place.dir / "menu.sh").string() + "\n"
                                                  : std::string()));
        StationProcess session(place.args(), place.dir.path(), place.dir.path(), place.env(x));
        ASSERT_TRUE(session.started());
        if (row.waitFor) waitForPidFile(place.station / row.waitFor);
        kill(session.pid(), SIGTERM);
        ASSERT_TRUE(session.waitForEnd(30000)) << "the session did not end; it said:\n"
                                               << session.err();
        // Stopped before it could block the signal, the command ends by it, which is as good.
        if (!session.crashed()) {
            EXPECT_EQ(session.exitCode(), 0) << session.err();
            EXPECT_NE(readFile(stationLogFile(place.dir.path()))
                          .find("the session ends: stopped by signal 15"),
                      std::string::npos)
                << session.err();
        }
        for (const char* started : {"wm.pid", "menu.pid"})
            EXPECT_FALSE(stillRuns(place.station / started)) << started << session.err();
    }
}

}  // namespace
