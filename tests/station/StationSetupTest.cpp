// rulevion-station setup, run as root on a system laid out in a scratch folder (--root): never on
// the machine's own /etc.
#include <gtest/gtest.h>

#include "PasswordFile.h"
#include "StationSetup.h"
#include "StationTool.h"
#include "TempDir.h"

#include <cstring>
#include <filesystem>
#include <string>

#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

const char* kClassList =
    "Номер зачетки;ФИО;Группа\n"
    "12345;Иванов Пётр Сергеевич;7\n"
    "ЗК-2024/5;Лебедева Екатерина Андреевна;7\n";

// A bare Debian as far as setup looks at it: its users, the package's files, nodm installed with
// no answers (it then logs root in), and the station's Windows programs with a Wine to run them.
struct Root {
    TempDir dir;
    fs::path root = dir / "root";
    fs::path bin = dir / "bin";
    fs::path list = dir / "klass.csv";

    Root() {
        // The check runs as the station's user, who must reach the scratch system.
        fs::permissions(dir.path(), fs::perms::owner_all | fs::perms::group_read |
                                        fs::perms::group_exec | fs::perms::others_read |
                                        fs::perms::others_exec);
        write("etc/passwd", "root:x:0:0:root:/root:/bin/bash\n");
        write("etc/group", "root:x:0:\n");
        write("etc/shadow", "root:*:19000:0:99999:7:::\n");
        write("etc/gshadow", "root:*::\n");
        write("usr/share/rulevion/vdm03.pdf", "%PDF-1.4 help\n");
        write("etc/rulevion/station.conf",
              "# The station folder.\n#folder=/srv/station\n#drives=/mnt\n"
              "#exercises=wine 'C:\\dat_ulmo\\vdm.exe'\npause=5\n");
        write("usr/sbin/nodm", "");
        write("etc/default/nodm",
              "NODM_ENABLED=false\nNODM_USER=root\nNODM_XSESSION=/etc/X11/Xsession\n"
              "NODM_X_OPTIONS='-nolisten tcp'\n");
        write("usr/bin/wine", "");
        write("mnt/c/dat_ulmo/vdm.exe", "MZ");
        write("mnt/c/dat_ulmo/trener.exe", "MZ");
        fs::create_directories(bin);
        writeFile(bin / "wine", "#!/bin/sh\n");
        fs::permissions(bin / "wine", fs::perms::all);
        fs::permissions(bin, fs::perms::all);
        writeFile(list, kClassList);
    }

    void write(const std::string& path, const std::string& bytes) {
        fs::create_directories((root / path).parent_path());
        writeFile(root / path, bytes);
    }

    ToolResult setup(std::vector<std::string> args, bool asUnprivileged = false) const {
        args.insert(args.begin(), {"setup", "--root", root.string()});
        const std::string path = bin.string() + ":" + (getenv("PATH") ? getenv("PATH") : "");
        return runStation(args, dir.path(), {{"PATH", path}}, asUnprivileged);
    }
};

struct Owner {
    uid_t uid;
    gid_t gid;
    mode_t mode;
};

Owner ownerOf(const fs::path& p) {
    struct stat st {};
    EXPECT_EQ(lstat(p.c_str(), &st), 0) << p;
    return {st.st_uid, st.st_gid, static_cast<mode_t>(st.st_mode & 07777)};
}

// The whole scratch system's names, sizes and times, with every owner and mode.
std::string systemState(const fs::path& root) {
    std::string state = folderState(root);
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        const Owner o = ownerOf(entry.path());
        state += entry.path().string() + " " + std::to_string(o.uid) + ":" +
                 std::to_string(o.gid) + " " + std::to_string(o.mode) + "\n";
    }
    return state;
}

#define REQUIRE_ROOT()                                                    \
    if (geteuid() != 0) GTEST_SKIP() << "setup makes users: root only"

TEST(StationSetup, MakesAStationWhereAStudentCanSignInAndASecondRunChangesNothing) {
    REQUIRE_ROOT();
    Root r;
    const ToolResult first = r.setup({"--list", r.list.string(), "--password", "1234"});
    ASSERT_EQ(first.exitCode, 0) << first.out << first.err;

    const std::string passwd = readFile(r.root / "etc/passwd");
    ASSERT_NE(passwd.find("\nstation:x:"), std::string::npos) << passwd;
    const fs::path folder = r.root / "srv/station";
    const Owner station = ownerOf(folder);
    EXPECT_NE(station.uid, 0u);
    EXPECT_EQ(passwd.find("station:x:" + std::to_string(station.uid) + ":" +
                          std::to_string(station.gid) + ":"),
              passwd.find("\nstation:x:") + 1);
    EXPECT_EQ(station.mode, 0755u);

    struct FileCase {
        const char* path;
        bool stationOwns;
    };
    for (const FileCase& c : std::initializer_list<FileCase>{
             {"srv/station/__monitor.txt", true},
             {"srv/station/vdmdat01.bin", true},
             {"srv/station/vdm03.pdf", true},
             {"mnt/c/dat_ulmo/as_dbase/trener/01/dbtrener.mdb", true},
             {"etc/rulevion/station.conf", false},
             {"etc/default/nodm", false},
             {"etc/X11/xorg.conf.d/50-rulevion-station.conf", false},
             {"etc/systemd/system.conf.d/50-rulevion-station.conf", false},
             {"etc/sysctl.d/50-rulevion-station.conf", false}}) {
        SCOPED_TRACE(c.path);
        const Owner o = ownerOf(r.root / c.path);
        EXPECT_EQ(o.uid, c.stationOwns ? station.uid : 0u);
        EXPECT_EQ(o.mode, 0644u);
    }
    EXPECT_EQ(ownerOf(r.root / "mnt/c/dat_ulmo/as_dbase").uid, station.uid);
    EXPECT_EQ(ownerOf(r.root / "etc/X11/xorg.conf.d").uid, 0u);

    EXPECT_EQ(readFile(folder / "__monitor.txt"), "monitor\nmonitor\n1\n");
    EXPECT_EQ(readFile(folder / "vdmdat01.bin"), trainer::passwordFileBytes(1234));
    EXPECT_EQ(readFile(folder / "vdm03.pdf"), "%PDF-1.4 help\n");

    // The school's own lines stay; what setup owns is set, a command already set is kept.
    EXPECT_EQ(readFile(r.root / "etc/rulevion/station.conf"),
              "# The station folder.\n#folder=/srv/station\nfolder=/srv/station\n#drives=/mnt\n"
              "drives=/mnt\n#exercises=wine 'C:\\dat_ulmo\\vdm.exe'\n"
              "exercises=wine 'C:\\dat_ulmo\\vdm.exe'\npause=5\n"
              "trainer=wine 'C:\\dat_ulmo\\trener.exe'\n");
    EXPECT_EQ(readFile(r.root / "etc/default/nodm"),
              "NODM_ENABLED=true\nNODM_USER=station\n"
              "NODM_XSESSION=/usr/bin/rulevion-station-session\nNODM_X_OPTIONS='-nolisten tcp'\n");
    const std::string xorg = readFile(r.root / "etc/X11/xorg.conf.d/50-rulevion-station.conf");
    for (const char* flag : {"Section \"ServerFlags\"", "\"DontVTSwitch\" \"true\"",
                             "\"DontZap\"      \"true\""})
        EXPECT_NE(xorg.find(flag), std::string::npos) << flag << "\n" << xorg;
    EXPECT_EQ(fs::read_symlink(r.root / "etc/systemd/system/ctrl-alt-del.target"), "/dev/null");
    EXPECT_NE(readFile(r.root / "etc/systemd/system.conf.d/50-rulevion-station.conf")
                  .find("CtrlAltDelBurstAction=none"),
              std::string::npos);
    EXPECT_NE(readFile(r.root / "etc/sysctl.d/50-rulevion-station.conf").find("kernel.sysrq = 0"),
              std::string::npos);

    // The check ran as the station's user on the system set up, and read the students.
    EXPECT_NE(first.out.find("The check, as station:"), std::string::npos) << first.out;
    EXPECT_NE(first.out.find("passed:  2 student(s)"), std::string::npos) << first.out;
    EXPECT_NE(first.out.find("passed:  nodm starts the session for station"), std::string::npos)
        << first.out;
    EXPECT_NE(first.out.find("Students can sign in and train at this station."), std::string::npos)
        << first.out;
    EXPECT_NE(first.out.find("Left to do:\n  - reboot"), std::string::npos) << first.out;

    const std::string before = systemState(r.root);
    const ToolResult second = r.setup({"--list", r.list.string(), "--password", "1234"});
    ASSERT_EQ(second.exitCode, 0) << second.out << second.err;
    EXPECT_EQ(second.out.find("changed:"), std::string::npos) << second.out;
    EXPECT_EQ(systemState(r.root), before);

    // Without a list or a password the database and the password stay; a new list replaces
    // the database alone.
    const ToolResult bare = r.setup({});
    ASSERT_EQ(bare.exitCode, 0) << bare.out << bare.err;
    EXPECT_EQ(systemState(r.root), before);
    writeFile(r.list, std::string(kClassList) + "777;Сидоров Иван;8\n");
    const ToolResult newList = r.setup({"--list", r.list.string()});
    ASSERT_EQ(newList.exitCode, 0) << newList.out << newList.err;
    EXPECT_NE(newList.out.find("changed:    the students database"), std::string::npos)
        << newList.out;
    EXPECT_EQ(newList.out.find("changed:    the station"), std::string::npos) << newList.out;
    EXPECT_NE(newList.out.find("passed:  3 student(s)"), std::string::npos) << newList.out;
}

TEST(StationSetup, KeepsWhatTheStationHasAlready) {
    REQUIRE_ROOT();
    Root r;
    r.write("etc/rulevion/station.conf", "exercises=/opt/vdm/run\nfolder=/old\n");
    r.write("srv/station/__monitor.txt", "monitor\nmonitor\n0\n");
    const ToolResult res = r.setup({"--password", "77"});
    ASSERT_EQ(res.exitCode, 0) << res.out << res.err;
    EXPECT_EQ(readFile(r.root / "srv/station/__monitor.txt"), "monitor\nmonitor\n0\n");
    EXPECT_EQ(readFile(r.root / "etc/rulevion/station.conf"),
              "exercises=/opt/vdm/run\nfolder=/srv/station\ndrives=/mnt\n"
              "trainer=wine 'C:\\dat_ulmo\\trener.exe'\n");
    EXPECT_NE(res.out.find("no students database yet: run setup again with the class list"),
              std::string::npos)
        << res.out;
}

TEST(StationSetup, AutologinThroughWhicheverDisplayManagerIsInstalled) {
    REQUIRE_ROOT();
    {
        Root r;
        fs::remove(r.root / "usr/sbin/nodm");
        r.write("usr/sbin/lightdm", "");
        const ToolResult res = r.setup({"--password", "1", "--user", "fahrer"});
        ASSERT_EQ(res.exitCode, 0) << res.out << res.err;
        const std::string conf =
            readFile(r.root / "etc/lightdm/lightdm.conf.d/50-rulevion-station.conf");
        EXPECT_NE(conf.find("[Seat:*]\nautologin-user=fahrer\n"), std::string::npos) << conf;
        EXPECT_NE(conf.find("autologin-session=rulevion-station\n"), std::string::npos) << conf;
        EXPECT_NE(res.out.find("passed:  lightdm starts the session for fahrer"),
                  std::string::npos)
            << res.out;
    }
    {
        Root r;
        fs::remove(r.root / "usr/sbin/nodm");
        const ToolResult res = r.setup({"--password", "1"});
        ASSERT_EQ(res.exitCode, 0) << res.out << res.err;
        EXPECT_NE(res.out.find("  - no display manager: apt install --no-install-recommends "
                               "xserver-xorg nodm"),
                  std::string::npos)
            << res.out;
    }
}

// The station's user owns the station folder: a link there must not turn root's write or chmod
// onto another file.
TEST(StationSetup, FollowsNoLinkInTheStationFolder) {
    REQUIRE_ROOT();
    Root r;
    r.write("etc/secret", "root's own\n");
    fs::permissions(r.root / "etc/secret", fs::perms::owner_read | fs::perms::owner_write);
    fs::create_directories(r.root / "srv/station");
    fs::create_symlink(r.root / "etc/secret", r.root / "srv/station/vdmdat01.bin");
    const ToolResult replaced = r.setup({"--password", "1234"});
    ASSERT_EQ(replaced.exitCode, 0) << replaced.out << replaced.err;
    EXPECT_FALSE(fs::is_symlink(r.root / "srv/station/vdmdat01.bin"));
    EXPECT_EQ(readFile(r.root / "srv/station/vdmdat01.bin"), trainer::passwordFileBytes(1234));
    EXPECT_EQ(readFile(r.root / "etc/secret"), "root's own\n");

    fs::remove(r.root / "srv/station/__monitor.txt");
    fs::create_symlink(r.root / "etc/secret", r.root / "srv/station/__monitor.txt");
    const ToolResult refused = r.setup({});
    EXPECT_EQ(refused.exitCode, 1) << refused.out << refused.err;
    EXPECT_NE(refused.err.find("__monitor.txt is a symbolic link, which setup does not follow"),
              std::string::npos)
        << refused.err;
    EXPECT_EQ(ownerOf(r.root / "etc/secret").uid, 0u);
    EXPECT_EQ(ownerOf(r.root / "etc/secret").mode, 0600u);
}

// Every refusal comes before the first change: the scratch system stays as it was.
TEST(StationSetup, RefusesWithAClearMessageAndChangesNothing) {
    struct Case {
        const char* name;
        std::vector<std::string> args;
        const char* list;  // written to the list file when set
        bool asUnprivileged;
        int exitCode;
        const char* message;
    };
    const std::string xls("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1\0\0\0\0", 12);
    const Case cases[] = {
        {"not_root", {"--password", "1"}, nullptr, true, 1, "only root can set a station up"},
        {"missing_list", {"--list", "/nonexistent/klass.csv", "--password", "1"}, nullptr, false,
         1, "the class list /nonexistent/klass.csv cannot be used"},
        {"list_without_a_record_book_column", {"--password", "1"}, "ФИО;Группа\nИванов;7\n",
         false, 1, "cannot be used"},
        {"old_excel_workbook", {"--password", "1"}, xls.c_str(), false, 1, "cannot be used"},
        {"password_with_letters", {"--password", "12a"}, nullptr, false, 1,
         "the password 12a is not digits only"},
        {"no_password_and_no_terminal", {}, nullptr, false, 1, "give it with --password N"},
        {"root_as_the_station_user", {"--user", "root", "--password", "1"}, nullptr, false, 2,
         "root cannot be the station's user"},
        {"relative_folder", {"--folder", "srv/station", "--password", "1"}, nullptr, false, 2,
         "srv/station is not an absolute path"},
        {"unknown_option", {"--lsit", "x"}, nullptr, false, 2, "unknown argument --lsit"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (geteuid() != 0 && !c.asUnprivileged) continue;
        Root r;
        std::vector<std::string> args = c.args;
        if (c.list) {
            writeFile(r.list, std::string(c.list, c.list == xls.c_str() ? xls.size()
                                                                         : std::strlen(c.list)));
            args.insert(args.end(), {"--list", r.list.string()});
        }
        const std::string before = systemState(r.root);
        const ToolResult res = r.setup(args, c.asUnprivileged);
        EXPECT_EQ(res.exitCode, c.exitCode) << res.out << res.err;
        EXPECT_NE(res.err.find(c.message), std::string::npos) << res.err;
        EXPECT_EQ(res.out.find("changed:"), std::string::npos) << res.out;
        EXPECT_EQ(systemState(r.root), before);
    }
}

TEST(StationSetup, SpeaksRussianUnderARussianLocale) {
    REQUIRE_ROOT();
    Root r;
    const std::string path = r.bin.string() + ":" + (getenv("PATH") ? getenv("PATH") : "");
    const ToolResult res = runStation({"setup", "--root", r.root.string(), "--password", "1"},
                                      r.dir.path(), {{"PATH", path}, {"LC_ALL", "ru_RU.UTF-8"}});
    ASSERT_EQ(res.exitCode, 0) << res.out << res.err;
    EXPECT_NE(res.out.find("изменено:"), std::string::npos) << res.out;
    EXPECT_NE(res.out.find("Осталось сделать:"), std::string::npos) << res.out;
    EXPECT_EQ(res.out.find("changed:"), std::string::npos) << res.out;
}

TEST(StationSetup, SetsAKeyOfAConfigurationFile) {
    struct Case {
        const char* text;
        const char* key;
        const char* value;
        bool keep;
        const char* expected;
    };
    const Case cases[] = {
        {"", "folder", "/srv/station", false, "folder=/srv/station\n"},
        {"a=1\nfolder=/old\nb=2", "folder", "/srv", false, "a=1\nfolder=/srv\nb=2\n"},
        {"# the folder\n#folder=/x\nb=2\n", "folder", "/srv", false,
         "# the folder\n#folder=/x\nfolder=/srv\nb=2\n"},
        {"folder=/a\nfolder=/b\n", "folder", "/c", false, "folder=/a\nfolder=/c\n"},
        {"exercises=/opt/run\n", "exercises", "wine x", true, "exercises=/opt/run\n"},
        {"NODM_USER=root\n", "NODM_USER", "station", false, "NODM_USER=station\n"},
        // A key that only begins like another is another key.
        {"folders=1\n", "folder", "/srv", false, "folders=1\nfolder=/srv\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(station::withKey(QString::fromUtf8(c.text), QString::fromUtf8(c.key),
                                   QString::fromUtf8(c.value), c.keep)
                      .toStdString(),
                  c.expected);
    }
}

}  // namespace
