// rulevion-station run: the station's shell around a fake menu that takes its decisions from a
// script, one a line: a code, "missing" (no decision), "crash" (the menu dies by SIGSEGV). Runs
// as the station's user, never as root.
#include <gtest/gtest.h>

#include "StationTool.h"
#include "TempDir.h"

#include <algorithm>
#include <filesystem>

#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// The menu logs each start, and whether an old decision was still there; out of decisions it
// leaves, so a faulty shell cannot loop for ever.
const char* kFakeMenu = R"(#!/bin/sh
n=$(cat count 2>/dev/null || echo 0); n=$((n + 1)); echo $n > count
[ -e vdm_out.txt ] && echo "stale decision" >> runs.log
echo "menu${RULEVION_FAILED:+ failed=$RULEVION_FAILED}" >> runs.log
d=$(sed -n "${n}p" decisions.txt)
case "$d" in
  "") printf 0 > vdm_out.txt ;;
  missing) ;;
  crash) kill -SEGV $$ ;;
  *) printf %s "$d" > vdm_out.txt ;;
esac
)";

// Every fake menu ends at once, which counts as a failure; pause=0 keeps these runs fast.
const char* kCommands =
    "pause=0\n"
    "trainer=echo trainer${RULEVION_FAILED} >> runs.log\n"
    "exercises=echo exercises \"$VDM_DRIVES\" >> runs.log\n"
    "return=echo return >> runs.log\n";

struct RunCase {
    const char* name;
    const char* decisions;
    const char* config;  // after kCommands, so a key here wins
    const char* runs;    // runs.log afterwards
    const char* report;  // in stderr; empty: stderr stays empty
};

const RunCase kRunCases[] = {
    {"each_code_runs_its_command", "5\n2\n1\n0\n", "",
     "menu\nexercises /drives\nmenu\ntrainer\nmenu\nreturn\nmenu\n", ""},
    {"return_without_a_command_shows_the_menu_again", "1\n0\n", "return=\n", "menu\nmenu\n", ""},
    {"failing_command", "5\n0\n", "exercises=echo exercises >> runs.log; exit 3\n",
     "menu\nexercises\nmenu failed=exercises\n",
     "decision 5: the command exercises=echo exercises >> runs.log; exit 3 ended with status 3"},
    // Only the one menu run after the failure is told; the commands never are.
    {"command_that_cannot_start", "2\n2\n0\n", "trainer=/nonexistent/trainer.exe\n",
     "menu\nmenu failed=trainer\nmenu failed=trainer\n",
     "the command trainer=/nonexistent/trainer.exe could not be started (command not found)"},
    {"failure_told_once", "5\n2\n1\n0\n", "exercises=exit 1\n",
     "menu\nmenu failed=exercises\ntrainer\nmenu\nreturn\nmenu\n", "exercises=exit 1 ended"},
    {"command_killed", "5\n0\n", "exercises=kill -TERM $$\n", "menu\nmenu failed=exercises\n",
     "ended by signal 15"},
    {"failing_return_is_not_shown", "1\n0\n", "return=exit 4\n", "menu\nmenu\n",
     "return=exit 4 ended with status 4"},
    {"code_without_a_command", "5\n0\n", "exercises=\n", "menu\nmenu failed=exercises\n",
     "decision 5: no command is configured (exercises=)"},
    {"missing_decision", "missing\n0\n", "", "menu\nmenu\n",
     "the menu left no decision in vdm_out.txt; it is started again"},
    {"unknown_decision", "7\n0\n", "", "menu\nmenu\n",
     "the menu left an unknown decision \"7\" in vdm_out.txt"},
    {"decision_with_more_than_one_character", "55\n0\n", "", "menu\nmenu\n",
     "unknown decision \"55\""},
    {"menu_crash", "crash\n0\n", "", "menu\nmenu\n", "the menu ended by signal 11"},
    {"menu_that_keeps_failing_pauses_but_comes_back", "crash\nmissing\ncrash\n2\n0\n", "pause=1\n",
     "menu\nmenu\nmenu\nmenu\ntrainer\nmenu\n",
     "ended within 2 s of its start 3 times in a row; it is started again in 1 s"},
    // A menu that cannot reach its display writes "1" at once: a storm without the pause.
    {"quick_decisions_pause", "1\n1\n1\n1\n0\n", "pause=1\n",
     "menu\nreturn\nmenu\nreturn\nmenu\nreturn\nmenu\nreturn\nmenu\n",
     "3 times in a row; it is started again in 1 s"},
};

class StationRun : public testing::TestWithParam<RunCase> {};

TEST_P(StationRun, RunsWhatTheMenuDecidesAndAlwaysBringsTheMenuBack) {
    const RunCase& c = GetParam();
    TempDir dir;
    const fs::path station = dir / "station";
    fs::create_directory(station);
    writeFile(dir / "menu.sh", kFakeMenu);
    fs::permissions(dir / "menu.sh", fs::perms::owner_all);
    writeFile(dir / "station.conf", "# a station under test\nmenu=" + (dir / "menu.sh").string() +
                                        "\ndrives=/drives\n" + kCommands + c.config);
    writeFile(station / "decisions.txt", c.decisions);
    writeFile(station / "vdm_out.txt", "0");  // the last run's: must not be taken as this one's

    // A value inherited from elsewhere is not passed on.
    const ToolResult r =
        runStationAsUser({"run", "--config", (dir / "station.conf").string(), station.string()},
                         dir.path(), dir.path(), {{"RULEVION_FAILED", "trainer"}});

    ASSERT_TRUE(r.finished) << "the shell did not end; stderr:\n" << r.err;
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(readFile(station / "runs.log"), c.runs) << r.err;
    if (*c.report) {
        EXPECT_NE(r.err.find(c.report), std::string::npos) << r.err;
        // The technician finds the same in the log file.
        EXPECT_NE(readFile(stationLogFile(dir.path())).find(c.report), std::string::npos);
    } else {
        EXPECT_EQ(r.err, "");
    }
}

INSTANTIATE_TEST_SUITE_P(Decisions, StationRun, testing::ValuesIn(kRunCases),
                         [](const auto& info) { return std::string(info.param.name); });

// The folder comes from the configuration when none is given, and the reports speak Russian
// under a Russian locale.
TEST(StationRunConfig, ConfiguredFolderAndRussianReports) {
    TempDir dir;
    const fs::path station = dir / "station";
    fs::create_directory(station);
    writeFile(dir / "menu.sh", kFakeMenu);
    fs::permissions(dir / "menu.sh", fs::perms::owner_all);
    writeFile(dir / "station.conf",
              "menu=" + (dir / "menu.sh").string() + "\nfolder=" + station.string() + "\n");
    writeFile(station / "decisions.txt", "missing\n0\n");

    const ToolResult r = runStationAsUser({"run", "--config", (dir / "station.conf").string()},
                                          dir.path(), dir.path(), {{"LC_ALL", "ru_RU.UTF-8"}});

    ASSERT_TRUE(r.finished && r.exitCode == 0) << r.err;
    EXPECT_EQ(readFile(station / "runs.log"), "menu\nmenu\n");
    EXPECT_NE(r.err.find("не оставило решения"), std::string::npos) << r.err;
}

// After a failure the log holds what the failed program itself said on stderr: its last lines,
// bounded, which also still reach the shell's own stderr; a menu that ended through its fatal
// exit or its crash guard is told apart from the Return button.
TEST(StationRunLog, FailuresBringTheirOwnWordsAndFatalEnds) {
    struct Row {
        const char* name;
        const char* menu;      // the menu script's lines; it leaves "0" the second time
        const char* settings;  // configuration lines
        std::vector<std::string> logged;
        std::vector<std::string> notLogged;
    };
    const Row rows[] = {
        {"last twenty lines of a failed command", "printf 5 > vdm_out.txt\n",
         "exercises=i=0; while [ $i -lt 30 ]; do i=$((i+1)); echo \"wine: line $i\" >&2; done; "
         "exit 3\n",
         {"ended with status 3", "the last lines it wrote to stderr:\n", "  wine: line 11\n",
          "  wine: line 30\n"},
         {"wine: line 10\n"}},
        {"a crashed menu's words", "echo 'menu: cannot map the panel' >&2\nkill -SEGV $$\n", "",
         {"the menu ended by signal 11", "  menu: cannot map the panel\n"},
         {}},
        {"a successful command's words are not logged", "printf 5 > vdm_out.txt\n",
         "exercises=echo 'fixme: all is well' >&2\n", {}, {"fixme", "last lines"}},
        {"the fatal exit", "printf f >&$RULEVION_FATAL_FD\nprintf 1 > vdm_out.txt\n", "",
         {"the menu ended through its fatal exit, after its error box"},
         {}},
        {"the crash guard", "echo 'rulevion-menu: stopped by SIGSEGV' >&2\n"
                            "printf c >&$RULEVION_FATAL_FD\nprintf 1 > vdm_out.txt\n",
         "", {"the menu failed and its crash guard ended it", "  rulevion-menu: stopped by SIGSEGV\n"},
         {}},
        {"the Return button", "printf 1 > vdm_out.txt\n", "", {}, {"fatal", "crash"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        TempDir dir;
        const fs::path station = dir / "station";
        fs::create_directory(station);
        writeFile(dir / "menu.sh", std::string("#!/bin/sh\n[ -e ran ] && { printf 0 > vdm_out.txt; "
                                               "exit 0; }\ntouch ran\n") + row.menu);
        fs::permissions(dir / "menu.sh", fs::perms::owner_all);
        writeFile(dir / "station.conf", "pause=0\nmenu=" + (dir / "menu.sh").string() + "\n" +
                                            row.settings);
        const ToolResult r =
            runStationAsUser({"run", "--config", (dir / "station.conf").string(), station.string()},
                             dir.path(), dir.path());
        ASSERT_TRUE(r.finished && r.exitCode == 0) << r.err;
        std::error_code ec;
        const std::string log =
            fs::exists(stationLogFile(dir.path()), ec) ? readFile(stationLogFile(dir.path())) : "";
        for (const std::string& text : row.logged)
            EXPECT_NE(log.find(text), std::string::npos) << text << "\nlog:\n" << log;
        for (const std::string& text : row.notLogged)
            EXPECT_EQ(log.find(text), std::string::npos) << text << "\nlog:\n" << log;
    }
}

// A program that floods stderr with one endless line leaves a bounded tail in the log, and the
// shell's own stderr still gets all of it.
TEST(StationRunLog, TailOfAFloodIsBounded) {
    TempDir dir;
    const fs::path station = dir / "station";
    fs::create_directory(station);
    writeFile(dir / "menu.sh",
              "#!/bin/sh\n[ -e ran ] && { printf 0 > vdm_out.txt; exit 0; }\ntouch ran\n"
              "printf 5 > vdm_out.txt\n");
    fs::permissions(dir / "menu.sh", fs::perms::owner_all);
    writeFile(dir / "station.conf",
              "pause=0\nmenu=" + (dir / "menu.sh").string() +
                  "\nexercises=head -c 1000000 /dev/zero | tr '\\0' x >&2; echo ' end' >&2; "
                  "exit 1\n");
    const ToolResult r =
        runStationAsUser({"run", "--config", (dir / "station.conf").string(), station.string()},
                         dir.path(), dir.path());
    ASSERT_TRUE(r.finished && r.exitCode == 0) << r.err.substr(0, 2000);
    EXPECT_GE(std::count(r.err.begin(), r.err.end(), 'x'), 1000000);
    const std::string log = readFile(stationLogFile(dir.path()));
    EXPECT_LT(log.size(), 6000u) << log.substr(0, 2000);
    EXPECT_NE(log.find("x end\n"), std::string::npos) << log.substr(0, 2000);
}

// What runs is decided only by files the station's user cannot change: the user's own
// configuration is read only when root owns it and every folder above it and the user can write
// none of them. Each case gives the system's file one menu and the user's file another.
TEST(StationUserConfig, ReadOnlyWhenTheUserCannotChangeIt) {
    enum class Place { UsersHome, RootsFolder, RootsFolderOpenToAll, LinkToUsersFolder };
    struct Row {
        const char* name;
        Place place;
        bool read;
        const char* why;  // in the report when the file is not read
    };
    const Row rows[] = {
        {"the user's own file", Place::UsersHome, false, "does not belong to root"},
        {"root's file in root's folders", Place::RootsFolder, true, ""},
        {"root's file in a folder anyone may write", Place::RootsFolderOpenToAll, false,
         "the station's user can change"},
        {"root's link to the user's folder", Place::LinkToUsersFolder, false,
         "does not belong to root"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        // Only root can give a file to root; the user's own file is ignored for anyone.
        if (row.place != Place::UsersHome && geteuid() != 0) continue;
        TempDir dir;  // the station user's: handed to it whole
        TempDir roots;
        fs::permissions(roots.path(), fs::perms::owner_all | fs::perms::group_read |
                                          fs::perms::group_exec | fs::perms::others_read |
                                          fs::perms::others_exec);
        const fs::path station = dir / "station";
        fs::create_directories(station);
        fs::create_directories(dir / "etc");
        for (const char* menu : {"system", "user"}) {
            writeFile(dir / (std::string(menu) + ".sh"),
                      "#!/bin/sh\necho " + std::string(menu) + " >> runs.log\nprintf 0 > vdm_out.txt\n");
            fs::permissions(dir / (std::string(menu) + ".sh"), fs::perms::owner_all);
        }
        writeFile(dir / "etc" / "station.conf",
                  "menu=" + (dir / "system.sh").string() + "\nfolder=" + station.string() + "\n");
        fs::path configHome;
        switch (row.place) {
            case Place::UsersHome: configHome = dir / "config"; break;
            case Place::RootsFolder:
            case Place::RootsFolderOpenToAll: configHome = roots.path(); break;
            case Place::LinkToUsersFolder:
                configHome = roots.path();
                fs::create_directories(dir / "linked");
                fs::create_directory_symlink(dir / "linked", roots / "rulevion");
                break;
        }
        fs::create_directories(configHome / "rulevion");
        if (row.place == Place::RootsFolderOpenToAll)
            fs::permissions(configHome / "rulevion", fs::perms::all);
        writeFile(configHome / "rulevion" / "station.conf",
                  "menu=" + (dir / "user.sh").string() + "\n");

        const ToolResult r = runStationAsUser(
            {"run"}, dir.path(), dir.path(),
            {{"RULEVION_CONFIG_DIR", (dir / "etc").string()},
             {"XDG_CONFIG_HOME", configHome.string()}});

        ASSERT_TRUE(r.finished && r.exitCode == 0) << r.err;
        EXPECT_EQ(readFile(station / "runs.log"), row.read ? "user\n" : "system\n") << r.err;
        if (row.read) {
            EXPECT_EQ(r.err, "");
            continue;
        }
        EXPECT_NE(r.err.find("station.conf is not read: "), std::string::npos) << r.err;
        EXPECT_NE(r.err.find(row.why), std::string::npos) << r.err;
        EXPECT_NE(readFile(stationLogFile(dir.path())).find("is not read"), std::string::npos);
        // The check names it too.
        const ToolResult check = runStationAsUser(
            {"check", station.string()}, dir.path(), dir.path(),
            {{"RULEVION_CONFIG_DIR", (dir / "etc").string()},
             {"XDG_CONFIG_HOME", configHome.string()}});
        EXPECT_NE(check.out.find((configHome / "rulevion" / "station.conf").string() +
                                 " is not read: "),
                  std::string::npos)
            << check.out;
    }
}

// Neither asking for help nor a mistake on the command line touches the station.
TEST(StationCommandLine, HelpVersionAndUsageErrorsLeaveTheFolderAlone) {
    struct Row {
        std::vector<std::string> args;
        int exitCode;
        const char* out;
        const char* err;
    };
    const Row rows[] = {
        {{"--help"}, 0, "Usage: rulevion-station", ""},
        {{"run", "--help"}, 0, "Usage: rulevion-station", ""},
        {{"--version"}, 0, "rulevion-station 1.", ""},
        {{"--frobnicate", "run"}, 2, "", "unknown option --frobnicate"},
        {{"check", "-x"}, 2, "", "unknown option -x"},
        {{}, 2, "", "say check, run, session, log or setup"},
        {{"start"}, 2, "", "unknown command start"},
        {{"session", "--help"}, 0, "Usage: rulevion-station", ""},
        {{"session", "--kiosk"}, 2, "", "unknown option --kiosk"},
        {{"log", "extra"}, 2, "", "log takes no arguments"},
        {{"run", "a", "b"}, 2, "", "one station folder at most"},
        {{"run", "--config"}, 2, "", "--config needs a file"},
        {{"run", "--config", "/nonexistent/station.conf"}, 2, "", "cannot be read"},
        // No folder given or configured: the menu would remove result files wherever it started.
        {{"run", "--config", "/dev/null"}, 2, "", "no station folder"},
    };
    TempDir station;
    writeFile(station / "vdm_out.txt", "5");
    writeFile(station / "db1.out", "record\r\n");
    const std::string before = folderState(station.path());
    for (const Row& row : rows) {
        const ToolResult r = runStation(row.args, station.path());
        const std::string shown = testing::PrintToString(row.args);
        ASSERT_TRUE(r.finished) << shown;
        EXPECT_EQ(r.exitCode, row.exitCode) << shown << r.err;
        EXPECT_NE(r.out.find(row.out), std::string::npos) << shown << r.out;
        EXPECT_NE(r.err.find(row.err), std::string::npos) << shown << r.err;
        EXPECT_EQ(row.exitCode == 0 ? r.err : r.out, "") << shown;
        EXPECT_EQ(folderState(station.path()), before) << shown;
    }
}

// Neither the shell nor the session starts where it cannot work: once, clearly, and the menu is
// never started.
TEST(StationRefusal, RootAndMissingDisplay) {
    struct Row {
        const char* verb;
        bool asRoot;
        const char* err;
    };
    const Row rows[] = {
        {"run", true, "does not run as root; start rulevion-station run as nobody, the owner of"},
        {"session", true, "start rulevion-station-session as nobody"},
        {"run", false, "no display (DISPLAY is not set)"},
        {"session", false, "no display (DISPLAY is not set)"},
    };
    for (const Row& row : rows) {
        if (row.asRoot && geteuid() != 0) continue;  // only root can be refused as root
        TempDir dir;
        const fs::path station = dir / "station";
        fs::create_directory(station);
        writeFile(dir / "menu.sh", "#!/bin/sh\necho menu >> runs.log\nprintf 0 > vdm_out.txt\n");
        fs::permissions(dir / "menu.sh", fs::perms::owner_all);
        writeFile(dir / "station.conf", "menu=" + (dir / "menu.sh").string() + "\n");
        const std::vector<std::string> args{row.verb, "--config", (dir / "station.conf").string(),
                                            station.string()};
        ToolResult r;
        if (row.asRoot) {
            runStationAsUser({"--version"}, dir.path(), dir.path());  // hands the folder to nobody
            r = runStation(args, dir.path(), {{"QT_QPA_PLATFORM", "offscreen"}});
        } else {
            r = runStationAsUser(
                args, dir.path(), dir.path(),
                {{"DISPLAY", ""}, {"WAYLAND_DISPLAY", ""}, {"QT_QPA_PLATFORM", ""}});
        }
        ASSERT_TRUE(r.finished) << row.verb;
        EXPECT_EQ(r.exitCode, 1) << row.verb << r.err;
        EXPECT_NE(r.err.find(row.err), std::string::npos) << row.verb << r.err;
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
        EXPECT_FALSE(fs::exists(station / "runs.log")) << row.verb;
    }
}

// The log verb shows what the shell logged, the older rotated file first.
TEST(StationLog, ShowsTheRotatedAndTheCurrentFile) {
    TempDir dir;
    fs::create_directories(stationLogFile(dir.path()).parent_path());
    const ToolResult empty = runStationAsUser({"log"}, dir.path(), dir.path());
    EXPECT_EQ(empty.exitCode, 0);
    EXPECT_EQ(empty.out, "");
    EXPECT_NE(empty.err.find("nothing is logged in"), std::string::npos) << empty.err;

    writeFile(stationLogFile(dir.path()).string() + ".1", "older\n");
    writeFile(stationLogFile(dir.path()), "newer\n");
    const ToolResult r = runStationAsUser({"log"}, dir.path(), dir.path());
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "older\nnewer\n");
}

}  // namespace
