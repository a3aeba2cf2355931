#include "TempDir.h"

#include <gtest/gtest.h>
#include <QProcess>
#include <QProcessEnvironment>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <ostream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

// A station folder as the previous student left it: the panel's start would remove these.
const char* const kResultFiles[] = {"db1.out",  "db2.out",  "db3a.out", "db3b.out",
                                    "db3c.out", "db3d.out", "db4.out",  "db5.out"};

std::map<std::string, std::string> contents(const fs::path& dir) {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::directory_iterator(dir))
        files[entry.path().filename().string()] = readFile(entry.path());
    return files;
}

struct MenuRun {
    int status = -1;
    std::string out;
    std::string err;
};

// The program as a technician starts it from a terminal with no display: were the panel or
// Qt's platform to start, it would fail loudly, and QT_DEBUG_PLUGINS names any plugin loaded.
MenuRun runMenu(const fs::path& station, const QStringList& args,
                const std::map<QString, QString>& locale, const QString& stdoutFile = QString()) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "LC_ALL",
                             "LC_MESSAGES", "LANG", "LANGUAGE"})
        env.remove(QString::fromLatin1(name));
    env.insert(QStringLiteral("QT_DEBUG_PLUGINS"), QStringLiteral("1"));
    for (const auto& [name, value] : locale) env.insert(name, value);
    QProcess menu;
    menu.setProcessEnvironment(env);
    menu.setWorkingDirectory(QString::fromStdString(station.string()));
    if (!stdoutFile.isEmpty()) menu.setStandardOutputFile(stdoutFile);
    menu.start(QString::fromLocal8Bit(std::getenv("RV_BIN_DIR")) + QStringLiteral("/rulevion-menu"),
               args);
    MenuRun run;
    if (!menu.waitForStarted(20000)) {
        run.err = "rulevion-menu did not start: " + menu.errorString().toStdString();
        return run;
    }
    if (!menu.waitForFinished(20000)) {
        menu.kill();
        menu.waitForFinished();
        run.err = "rulevion-menu did not end in time";
    } else if (menu.exitStatus() == QProcess::NormalExit) {
        run.status = menu.exitCode();
    }
    run.out = menu.readAllStandardOutput().toStdString();
    run.err += menu.readAllStandardError().toStdString();
    return run;
}

struct Case {
    const char* name;
    QStringList args;
    std::map<QString, QString> locale;
    int status;
    const char* out;  // expected at the start of stdout; "" for nothing at all
    const char* err;  // expected in stderr; "" for nothing at all
};

const QString kLang = QStringLiteral("LANG");
const QString kLcAll = QStringLiteral("LC_ALL");
const std::string kVersionLine = "rulevion-menu " RULEVION_VERSION "\n";

const Case kCases[] = {
    {"Help", {"--help"}, {}, 0, "Usage: rulevion-menu [--help | --version]\n", ""},
    {"ShortHelp", {"-h"}, {{kLang, "C.UTF-8"}}, 0, "Usage: rulevion-menu", ""},
    {"Version", {"--version"}, {}, 0, kVersionLine.c_str(), ""},
    {"HelpWinsOverVersion", {"--version", "--help"}, {}, 0, "Usage: rulevion-menu", ""},
    {"HelpInRussian", {"--help"}, {{kLang, "ru_RU.UTF-8"}}, 0, "Использование: rulevion-menu", ""},
    // The texts exist only in UTF-8: a Russian locale in another code page reads English.
    {"RussianInKoi8StaysEnglish", {"--help"}, {{kLang, "ru_RU.KOI8-R"}}, 0, "Usage:", ""},
    {"LcAllOverridesLang", {"--help"}, {{kLang, "ru_RU.UTF-8"}, {kLcAll, "C"}}, 0, "Usage:", ""},
    {"UnknownOption", {"--bogus"}, {}, 2, "", "rulevion-menu: unknown option '--bogus'\n"},
    // Qt's own options are not the program's: the shell never passes them.
    {"QtOptionBesideHelp",
     {"--help", "-platform", "offscreen"},
     {},
     2,
     "",
     "unknown option '-platform'"},
    {"Folder",
     {"/srv/station"},
     {},
     2,
     "",
     "unexpected argument '/srv/station': the program works in the current folder"},
    {"EmptyArgument", {""}, {}, 2, "", "unexpected argument ''"},
    {"ControlCharactersNotEchoed", {"--\x1b]0;x\x07"}, {}, 2, "", "unknown option '--?]0;x?'"},
    {"UnknownInRussian",
     {"--bogus"},
     {{kLang, "ru_RU.utf8"}},
     2,
     "",
     "rulevion-menu: неизвестный параметр «--bogus»\nСправка: rulevion-menu --help\n"},
};

void PrintTo(const Case& c, std::ostream* os) {
    *os << c.name;
}

class MenuCommandLine : public ::testing::TestWithParam<Case> {};

// Answered on the right stream with the right status, and the station folder left exactly as it
// was: no result file removed, no decision written, nothing else created.
TEST_P(MenuCommandLine, AnswersAndLeavesTheStationFolderAlone) {
    const Case& c = GetParam();
    TempDir station;
    for (const char* name : kResultFiles) writeFile(station / name, std::string("result ") + name);
    const auto before = contents(station.path());

    const MenuRun run = runMenu(station.path(), c.args, c.locale);

    EXPECT_EQ(run.status, c.status) << "stdout: " << run.out << "\nstderr: " << run.err;
    if (*c.out)
        EXPECT_EQ(run.out.rfind(c.out, 0), 0u) << run.out;
    else
        EXPECT_EQ(run.out, "");
    if (*c.err)
        EXPECT_NE(run.err.find(c.err), std::string::npos) << run.err;
    else
        EXPECT_EQ(run.err, "");
    EXPECT_EQ(contents(station.path()), before);
}

INSTANTIATE_TEST_SUITE_P(Cases, MenuCommandLine, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

// An answer lost to a full disk must not pass for one given.
TEST(MenuCommandLineOutput, UnwritableOutputIsStatusOne) {
    TempDir station;
    for (const char* option : {"--help", "--version"}) {
        const MenuRun run =
            runMenu(station.path(), {QString::fromLatin1(option)}, {}, QStringLiteral("/dev/full"));
        EXPECT_EQ(run.status, 1) << option << ": " << run.err;
        EXPECT_NE(run.err.find("cannot write to standard output"), std::string::npos) << run.err;
        EXPECT_TRUE(fs::is_empty(station.path())) << option;
    }
}

}  // namespace
