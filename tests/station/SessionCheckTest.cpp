// The check's look at the station around the menu: the commands, the session, the keyboard and
// autologin, on a system laid out in a folder of its own.
#include <gtest/gtest.h>

#include "SessionCheck.h"
#include "StationCheck.h"
#include "TempDir.h"

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

namespace fs = std::filesystem;
using station::CheckLine;
using Result = CheckLine::Result;

namespace {

class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::string& value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old;
        setenv(name, value.c_str(), 1);
    }
    ~ScopedEnv() {
        if (old_)
            setenv(name_, old_->c_str(), 1);
        else
            unsetenv(name_);
    }

private:
    const char* name_;
    std::optional<std::string> old_;
};

// A station whose every part is in order: wine and the two Windows programs, the session, the
// window manager, the layouts and nodm's autologin of the user "station".
struct System {
    TempDir dir;
    fs::path root = dir / "root";
    fs::path bin = dir / "bin";
    fs::path drives = dir / "drives";
    station::StationConfig config;
    station::SessionPlaces places;

    System() {
        for (const char* program :
             {"wine", "setxkbmap", "matchbox-window-manager", "rulevion-station-session"})
            executable(bin / program);
        file(drives / "c/dat_ulmo/vdm.exe");
        file(drives / "c/dat_ulmo/trener.exe");
        file(root / "usr/share/xsessions/rulevion-station.desktop");
        file(root / "usr/share/X11/xkb/symbols/us");
        file(root / "usr/share/X11/xkb/symbols/ru");
        file(root / "usr/share/X11/xkb/rules/evdev.lst",
             "! option\n  grp                  Switching to another layout\n"
             "  grp:alt_shift_toggle Alt+Shift\n");
        executable(root / "usr/sbin/nodm");
        file(root / "etc/default/nodm",
             "NODM_ENABLED=true\nNODM_USER=station\n"
             "NODM_XSESSION=\"/usr/bin/rulevion-station-session\"\n");
        file(root / "etc/X11/xorg.conf.d/50-rulevion-station.conf",
             "Section \"ServerFlags\"\n    Option \"DontVTSwitch\" \"true\"\n"
             "    Option \"DontZap\" \"true\"\nEndSection\n");
        config.exercises = QStringLiteral("wine 'C:\\dat_ulmo\\vdm.exe'");
        // The drive's folders may differ in letter case from the command.
        config.trainer = QStringLiteral("wine \"C:\\\\DAT_ULMO\\\\Trener.exe\"");
        config.windowManager = QStringLiteral("matchbox-window-manager -use_titlebar no");
        places.root = QString::fromStdString(root.string());
        places.user = QStringLiteral("station");
        places.folder = QString::fromStdString((dir / "station").string());
        file(dir / "station/vdm03.pdf", "%PDF-1.4\n");
    }

    static void file(const fs::path& path, const std::string& bytes = "x") {
        fs::create_directories(path.parent_path());
        writeFile(path, bytes);
    }
    static void executable(const fs::path& path) {
        file(path, "#!/bin/sh\n");
        fs::permissions(path, fs::perms::owner_all);
    }
    // lightdm in place of nodm, with the drop-in that logs the station's user in.
    void lightdmInstead() {
        fs::remove(root / "usr/sbin/nodm");
        executable(root / "usr/sbin/lightdm");
        file(root / "etc/lightdm/lightdm.conf.d/50-rulevion-station.conf",
             "[Seat:*]\nautologin-user=station\nautologin-session=rulevion-station\n");
    }

    std::vector<CheckLine> check() {
        const ScopedEnv path("PATH", bin.string());
        const ScopedEnv vdm("VDM_DRIVES", drives.string());
        return station::checkSession(config, places);
    }
};

std::string shown(const std::vector<CheckLine>& lines) {
    std::string all;
    for (const CheckLine& line : lines) all += station::formatLine(line).toStdString() + "\n";
    return all;
}

TEST(SessionCheck, AStationInOrderPassesEveryLine) {
    System s;
    const std::vector<CheckLine> lines = s.check();
    EXPECT_EQ(lines.size(), 8u) << shown(lines);
    for (const CheckLine& line : lines) EXPECT_EQ(line.result, Result::Passed) << shown(lines);
    EXPECT_NE(shown(lines).find("nodm starts the session for station"), std::string::npos)
        << shown(lines);
}

struct Case {
    const char* name;
    std::function<void(System&)> change;
    Result result;
    const char* text;  // in the line with that result
};

const Case kCases[] = {
    {"exercise_program_missing_on_the_drive",
     [](System& s) { fs::remove(s.drives / "c/dat_ulmo/vdm.exe"); }, Result::WontStart,
     "C:\\dat_ulmo\\vdm.exe is "},
    {"wine_not_installed", [](System& s) { fs::remove(s.bin / "wine"); }, Result::WontStart,
     "the program wine is not installed"},
    {"no_exercises_command", [](System& s) { s.config.exercises.clear(); }, Result::WontStart,
     "exercises= is not set"},
    {"program_by_path_not_executable",
     [](System& s) {
         System::file(s.dir / "tools/vdm");
         s.config.exercises = QString::fromStdString((s.dir / "tools/vdm").string());
     },
     Result::WontStart, "is not installed or not executable"},
    {"assignments_and_exec_before_the_program",
     [](System& s) {
         s.config.exercises = QStringLiteral("WINEDEBUG=-all exec wine 'C:\\dat_ulmo\\vdm.exe'");
     },
     Result::Passed, "exercises=: wine, C:\\dat_ulmo\\vdm.exe is "},
    {"session_not_installed", [](System& s) { fs::remove(s.bin / "rulevion-station-session"); },
     Result::Problem, "is not installed"},
    {"help_document_not_a_pdf",
     [](System& s) { System::file(s.dir / "station/vdm03.pdf", "<html>"); }, Result::Problem,
     "vdm03.pdf is not a PDF"},
    {"window_manager_missing", [](System& s) { fs::remove(s.bin / "matchbox-window-manager"); },
     Result::Problem, "the window manager matchbox-window-manager is not installed"},
    {"no_window_manager", [](System& s) { s.config.windowManager.clear(); }, Result::Problem,
     "window-manager= is empty"},
    {"unknown_layout", [](System& s) { s.config.layouts = QStringLiteral("us,ru(phonetic),xx"); },
     Result::Problem, "no keyboard layout xx"},
    {"unknown_switch",
     [](System& s) { s.config.layoutSwitch = QStringLiteral("grp:alt_space_toggle"); },
     Result::Problem, "layout-switch=grp:alt_space_toggle is not a keyboard option"},
    {"setxkbmap_missing", [](System& s) { fs::remove(s.bin / "setxkbmap"); }, Result::Problem,
     "setxkbmap is missing"},
    {"no_display_manager", [](System& s) { fs::remove(s.root / "usr/sbin/nodm"); }, Result::Problem,
     "no display manager"},
    {"nodm_logs_in_another_user",
     [](System& s) {
         System::file(s.root / "etc/default/nodm",
                      "NODM_ENABLED=true\nNODM_USER=teacher\n"
                      "NODM_XSESSION=/usr/bin/rulevion-station-session\n");
     },
     Result::Problem,
     "nodm does not start the session for station (NODM_ENABLED=true, "
     "NODM_USER=teacher"},
    {"lightdm_drop_in",
     [](System& s) {
         s.lightdmInstead();
         System::file(s.root / "etc/lightdm/lightdm.conf", "[Seat:*]\n#autologin-user=\n");
     },
     Result::Passed, "lightdm starts the session for station"},
    // lightdm.conf is read last and wins over the drop-ins.
    {"lightdm_conf_overrides_the_drop_in",
     [](System& s) {
         s.lightdmInstead();
         System::file(s.root / "etc/lightdm/lightdm.conf",
                      "[Seat:*]\nautologin-session=lightdm-xsession\n[XDMCPServer]\n"
                      "autologin-user=other\n");
     },
     Result::Problem, "autologin-user=station, autologin-session=lightdm-xsession"},
    {"no_server_flags",
     [](System& s) { fs::remove(s.root / "etc/X11/xorg.conf.d/50-rulevion-station.conf"); },
     Result::Problem, "the X server's ServerFlags lack DontVTSwitch, DontZap"},
    // The server reads /usr/share after /etc/X11/xorg.conf and /etc after /usr/share.
    {"server_flag_turned_off_by_a_later_file",
     [](System& s) {
         System::file(s.root / "etc/X11/xorg.conf.d/60-local.conf",
                      "Section \"ServerFlags\"\n  Option \"DontZap\" \"off\"\nEndSection\n");
     },
     Result::Problem, "ServerFlags lack DontZap,"},
    {"server_flags_in_xorg_conf_without_values",
     [](System& s) {
         fs::remove(s.root / "etc/X11/xorg.conf.d/50-rulevion-station.conf");
         System::file(s.root / "etc/X11/xorg.conf",
                      "section \"ServerFlags\"  # the keys\n\tOption \"dontvtswitch\"\n"
                      "\toption \"DontZap\" \"yes\"\nEndSection\n");
     },
     Result::Passed, "ignores Ctrl+Alt+Backspace"},
    // A flag outside ServerFlags is some other section's option.
    {"server_flag_in_another_section",
     [](System& s) {
         System::file(s.root / "etc/X11/xorg.conf.d/50-rulevion-station.conf",
                      "Section \"ServerFlags\"\n Option \"DontVTSwitch\"\nEndSection\n"
                      "Section \"InputClass\"\n Option \"DontZap\" \"true\"\nEndSection\n");
     },
     Result::Problem, "ServerFlags lack DontZap,"},
};

class SessionCheckCase : public testing::TestWithParam<Case> {};

TEST_P(SessionCheckCase, NamesWhatIsWrong) {
    const Case& c = GetParam();
    System s;
    c.change(s);
    const std::vector<CheckLine> lines = s.check();
    bool found = false;
    for (const CheckLine& line : lines)
        found = found || (line.result == c.result &&
                          line.text.toStdString().find(c.text) != std::string::npos);
    EXPECT_TRUE(found) << "wanted \"" << c.text << "\" in:\n" << shown(lines);
}

INSTANTIATE_TEST_SUITE_P(Stations, SessionCheckCase, testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

// The menu shows the help itself in the session: a station that boots into it needs no viewer.
TEST(SessionCheck, AskForAPdfViewerOnlyWhereTheStationDoesNotBootIntoTheSession) {
    System s;
    const ScopedEnv path("PATH", s.bin.string());  // no xdg-open there
    auto viewerLines = [&] {
        std::string found;
        for (const CheckLine& line :
             station::checkStation(s.places.folder, false, station::bootsIntoSession(s.places)))
            if (line.text.contains(QStringLiteral("xdg-open"))) found += line.text.toStdString();
        return found;
    };
    EXPECT_EQ(viewerLines(), "");
    System::file(s.root / "etc/default/nodm", "NODM_ENABLED=true\nNODM_USER=root\n");
    EXPECT_NE(viewerLines().find("xdg-open is missing"), std::string::npos);
}

// What sh makes of a command line, as far as the check needs it.
TEST(ShellWords, SplitsAsTheShellDoes) {
    const struct {
        const char* line;
        QStringList words;
    } rows[] = {
        {"wine 'C:\\dat ulmo\\vdm.exe'", {"wine", "C:\\dat ulmo\\vdm.exe"}},
        {"wine \"C:\\\\x\\\\y.exe\" -a", {"wine", "C:\\x\\y.exe", "-a"}},
        {"  a\\ b   c ", {"a b", "c"}},
        {"x ''", {"x", ""}},
        {"", {}},
    };
    for (const auto& row : rows)
        EXPECT_EQ(station::shellWords(QString::fromUtf8(row.line)), row.words) << row.line;
}

}  // namespace
