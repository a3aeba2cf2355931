// rulevion-station run: the station's shell around a fake menu that takes its decisions from a
// script, one a line: a code, "missing" (no decision), "crash" (the menu dies by SIGSEGV).
#include <gtest/gtest.h>

#include "StationTool.h"
#include "TempDir.h"

#include <filesystem>

namespace fs = std::filesystem;

namespace {

// The menu logs each start, and whether an old decision was still there; out of decisions it
// leaves, so a faulty shell cannot loop for ever.
const char* kFakeMenu = R"(#!/bin/sh
n=$(cat count 2>/dev/null || echo 0); n=$((n + 1)); echo $n > count
[ -e vdm_out.txt ] && echo "stale decision" >> runs.log
echo menu >> runs.log
d=$(sed -n "${n}p" decisions.txt)
case "$d" in
  "") printf 0 > vdm_out.txt ;;
  missing) ;;
  crash) kill -SEGV $$ ;;
  *) printf %s "$d" > vdm_out.txt ;;
esac
)";

const char* kCommands =
    "trainer=echo trainer >> runs.log\n"
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
     "menu\nexercises\nmenu\n",
     "decision 5: the command exercises=echo exercises >> runs.log; exit 3 ended with status 3"},
    {"command_that_cannot_start", "2\n0\n", "trainer=/nonexistent/trainer.exe\n", "menu\nmenu\n",
     "the command trainer=/nonexistent/trainer.exe could not be started (command not found)"},
    {"code_without_a_command", "5\n0\n", "exercises=\n", "menu\nmenu\n",
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
     "the menu failed 3 times in a row; it is started again in 1 s"},
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

    const ToolResult r = runStation(
        {"run", "--config", (dir / "station.conf").string(), station.string()}, dir.path());

    ASSERT_TRUE(r.finished) << "the shell did not end; stderr:\n" << r.err;
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(readFile(station / "runs.log"), c.runs) << r.err;
    if (*c.report)
        EXPECT_NE(r.err.find(c.report), std::string::npos) << r.err;
    else
        EXPECT_EQ(r.err, "");
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

    const ToolResult r = runStation({"run", "--config", (dir / "station.conf").string()},
                                    dir.path(), {{"LC_ALL", "ru_RU.UTF-8"}});

    ASSERT_TRUE(r.finished && r.exitCode == 0) << r.err;
    EXPECT_EQ(readFile(station / "runs.log"), "menu\nmenu\n");
    EXPECT_NE(r.err.find("не оставило решения"), std::string::npos) << r.err;
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
        {{}, 2, "", "say check or run"},
        {{"start"}, 2, "", "unknown command start"},
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

}  // namespace
