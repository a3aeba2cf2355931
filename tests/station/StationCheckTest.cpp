// rulevion-station check on stations made as a technician makes them, each broken in one way.
#include <gtest/gtest.h>

#include "CsvClassList.h"
#include "EncryptedFiles.h"
#include "JetWriter.h"
#include "PasswordFile.h"
#include "StationTool.h"
#include "TempDir.h"

#include <unistd.h>

#include <filesystem>
#include <functional>
#include <map>

namespace fs = std::filesystem;
using jetwriter::ColumnType;

namespace {

// A station folder and its drives, good in every respect until a case breaks it.
struct Station {
    TempDir dir;
    fs::path folder = dir / "station";
    fs::path drives = dir / "drives";
    fs::path database = drives / "c/dat_ulmo/as_dbase/trener/01/dbtrener.mdb";
    jetwriter::Table students =
        withRows({student("12345", "Иванов Пётр"), student("ЗК-2024/5", "Лебедева Е."),
                  student("ab12", "Сидоров А.")});

    static jetwriter::Table withRows(std::vector<jetwriter::Row> rows) {
        jetwriter::Table t = classlist::studentsTable();
        t.rows = std::move(rows);
        return t;
    }

    static jetwriter::Row student(const std::string& book, const std::string& name) {
        return {book,
                name,
                std::string("1"),
                std::string("Группа 7А"),
                std::int32_t{0},
                std::int32_t{12}};
    }

    Station() {
        fs::create_directories(folder);
        fs::create_directories(database.parent_path());
        writeFile(folder / "__monitor.txt", "station\r\n7\r\n1\r\n");
        writeFile(folder / "vdmdat01.bin", trainer::passwordFileBytes(1234));
        writeFile(folder / "vdm03.pdf", "%PDF-1.4\n%%EOF\n");
    }

    bool encrypted = false;  // saved by Access with a password

    void writeStudents() {
        if (!encrypted) return jetwriter::writeDatabase(database, {students});
        jetwriter::Options options;
        options.format = jetwriter::Format::Ace;
        writeFile(database,
                  testfiles::officeEncrypted(jetwriter::databaseBytes({students}, options)));
    }

    void dropColumn(const std::string& name) {
        for (std::size_t i = 0; i < students.columns.size(); ++i) {
            if (students.columns[i].name != name) continue;
            students.columns.erase(students.columns.begin() + static_cast<long>(i));
            for (auto& row : students.rows) row.erase(row.begin() + static_cast<long>(i));
            return;
        }
    }

    // Variables a case sets for the check, over the station's own.
    std::map<std::string, std::string> env;
    bool unprivileged = false;

    // The commands the menu starts: here any program that is there will do. Kept out of dir,
    // which a case may compare before and after.
    std::string config = "exercises=true\ntrainer=true\n";
    TempDir etc;

    ToolResult check(const char* locale = "C", std::vector<std::string> args = {"check"}) {
        writeFile(etc / "station.conf", config);
        fs::permissions(etc.path(), fs::perms::all);
        std::map<std::string, std::string> all = {{"VDM_DRIVES", drives.string()},
                                                  {"HOME", dir.path().string()},
                                                  {"RULEVION_CONFIG_DIR", etc.path().string()},
                                                  {"LC_ALL", locale}};
        for (const auto& [name, value] : env) all[name] = value;
        args.push_back(folder.string());
        return runStation(args, dir.path(), all, unprivileged);
    }

    // Lets user 65534 into every folder of the station, for a run that drops to it.
    void openToEveryone() {
        for (auto it = fs::recursive_directory_iterator(dir.path());
             it != fs::recursive_directory_iterator(); ++it)
            if (it->is_directory()) fs::permissions(it->path(), fs::perms::all);
        fs::permissions(dir.path(), fs::perms::all);
        unprivileged = true;
    }
};

struct CheckCase {
    const char* name;
    std::function<void(Station&)> breakIt;  // before the database is written
    const char* line;                       // the line that names the fault
    int exitCode;
};

const CheckCase kCheckCases[] = {
    {"no_monitor_file", [](Station& s) { fs::remove(s.folder / "__monitor.txt"); },
     "FAILED:  __monitor.txt is missing", 1},
    {"bad_monitor_line", [](Station& s) { writeFile(s.folder / "__monitor.txt", "a\nb\nC\n"); },
     "FAILED:  __monitor.txt: the third line does not begin with 1", 1},
    {"monitor_file_of_two_lines",
     [](Station& s) { writeFile(s.folder / "__monitor.txt", "a\nb\n"); },
     "FAILED:  __monitor.txt has fewer than three lines", 1},
    {"drive_folder_missing", [](Station& s) { writeFile(s.folder / "__monitor.txt", "a\nb\n0\n"); },
     "FAILED:  drive D: is the folder ", 1},
    {"no_database", [](Station& s) { s.database = s.database.parent_path() / "other.mdb"; },
     "FAILED:  the database ", 1},
    {"not_a_database",
     [](Station& s) {
         s.database = s.drives / "elsewhere.mdb";
         writeFile(s.drives / "c/dat_ulmo/as_dbase/trener/01/dbtrener.mdb", "not a database");
     },
     "FAILED:  the database cannot be opened: it is not a database, or it is damaged; write it "
     "anew",
     1},
    {"encrypted_database", [](Station& s) { s.encrypted = true; },
     "FAILED:  the database is encrypted: save it without a password in Access (File, Info, "
     "Decrypt)",
     1},
    {"no_students_table", [](Station& s) { s.students.name = "Pupils"; },
     "FAILED:  the database has no table Students", 1},
    {"column_missing", [](Station& s) { s.dropColumn("GrNum"); },
     "FAILED:  table Students: column GrNum is missing or not of the kind Text", 1},
    {"column_of_a_wrong_kind",
     [](Station& s) {
         s.students.columns[4] = {"StCount", ColumnType::Text, 50};
         for (auto& row : s.students.rows) row[4] = std::string("0");
     },
     "FAILED:  table Students: column StCount is missing or not of the kind Long Integer", 1},
    {"empty_table", [](Station& s) { s.students.rows.clear(); },
     "FAILED:  table Students holds no students", 1},
    {"duplicate_numbers",
     [](Station& s) { s.students.rows.push_back(Station::student("AB12", "Другой")); },
     "PROBLEM: record-book numbers that occur more than once (letter case aside), only the first "
     "of each can sign in: \"AB12\"",
     0},
    {"blank_padded_numbers",
     [](Station& s) { s.students.rows.push_back(Station::student("777 ", "Петров")); },
     "PROBLEM: record-book numbers with blanks at the start or end, which nobody types: \"777 \"",
     0},
    {"numbers_a_spreadsheet_changed",
     [](Station& s) {
         s.students.rows.push_back(Station::student("2024.0", "Петров"));
         s.students.rows.push_back(Station::student("1,2E+11", "Сидоров"));
     },
     "PROBLEM: record-book numbers as a spreadsheet writes numbers it holds as numbers (exponent "
     "form, a decimal zero, fewer digits than most: leading zeros lost), which the cards most "
     "likely read otherwise: \"2024.0\", \"1,2E+11\"",
     0},
    {"no_password_file", [](Station& s) { fs::remove(s.folder / "vdmdat01.bin"); },
     "PROBLEM: vdmdat01.bin is missing", 0},
    {"short_password_file",
     [](Station& s) {
         writeFile(s.folder / "vdmdat01.bin", trainer::passwordFileBytes(1234).substr(0, 6));
     },
     "PROBLEM: vdmdat01.bin is shorter than 8 bytes", 0},
    {"password_file_without_magic",
     [](Station& s) { writeFile(s.folder / "vdmdat01.bin", std::string(8, '\x01')); },
     "PROBLEM: vdmdat01.bin is not a password file", 0},
    {"password_the_field_cannot_take",
     [](Station& s) { writeFile(s.folder / "vdmdat01.bin", trainer::passwordFileBytes(-1234)); },
     "PROBLEM: vdmdat01.bin holds the password -1234, which the password field cannot take", 0},
    {"no_help_document", [](Station& s) { fs::remove(s.folder / "vdm03.pdf"); },
     "PROBLEM: vdm03.pdf is missing", 0},
    {"folder_not_writable",
     [](Station& s) { fs::permissions(s.folder, fs::perms::owner_read | fs::perms::owner_exec); },
     "FAILED:  the station folder is not writable", 1},
};

class StationCheck : public testing::TestWithParam<CheckCase> {};

TEST_P(StationCheck, NamesTheFault) {
    const CheckCase& c = GetParam();
    if (std::string(c.name) == "folder_not_writable" && geteuid() == 0)
        GTEST_SKIP() << "root may write in any folder";
    Station station;
    c.breakIt(station);
    station.writeStudents();

    const ToolResult r = station.check();

    ASSERT_TRUE(r.finished) << r.err;
    EXPECT_EQ(r.exitCode, c.exitCode) << r.out << r.err;
    EXPECT_NE(r.out.find(std::string("\n") + c.line), std::string::npos) << r.out;
    // The reader's own words are the menu's Russian; an English report keeps to English.
    EXPECT_EQ(r.out.find("ОШИБКА"), std::string::npos) << r.out;
}

INSTANTIATE_TEST_SUITE_P(BrokenStations, StationCheck, testing::ValuesIn(kCheckCases),
                         [](const auto& info) { return std::string(info.param.name); });

// Faults whose cure is not what the first look suggests: the check must name the real cause and
// never advise the cure that would do harm.
struct AdviceCase {
    const char* name;
    std::function<void(Station&)> breakIt;  // after the database is written
    std::vector<std::string> says;          // each somewhere in the output
    const char* neverSays;
    int exitCode;
};

// Advice as the technician who runs the check types it: root needs no sudo, and a bare system
// has none.
std::string rootCommand(const std::string& command) {
    return (geteuid() == 0 ? ": " : ": sudo ") + command;
}

void writeFstab(Station& s, const std::string& line) {
    writeFile(s.dir / "fstab",
              "# static file system information\n/dev/sda1 / ext4 defaults 0 1\n" + line + "\n");
    s.env["RULEVION_FSTAB"] = (s.dir / "fstab").string();
}

const AdviceCase kAdviceCases[] = {
    {"fstab_share_not_mounted",
     [](Station& s) {
         writeFstab(s, "//server/dat " + (s.drives / "c").string() + " cifs credentials=/x 0 0");
     },
     {"FAILED:  drive C: is the share //server/dat, which is not mounted on ",
      rootCommand("mount ")},
     "rulevion-jetwriter students",
     1},
    {"fstab_share_with_blank_in_its_path_not_mounted",
     [](Station& s) {
         fs::rename(s.drives, s.dir / "dri ves");
         s.drives = s.dir / "dri ves";
         writeFstab(s, "//server/dat " + (s.dir / "dri\\040ves/c").string() + " cifs _netdev 0 0");
     },
     {"is the share //server/dat, which is not mounted on ", rootCommand("mount '")},
     "rulevion-jetwriter students",
     1},
    {"fstab_names_another_folder",
     [](Station& s) {
         writeFstab(s, "//server/other " + (s.dir / "elsewhere").string() + " cifs");
     },
     {"passed:  database file "},
     "not mounted",
     0},
    {"empty_drive_folder",
     [](Station& s) {
         fs::remove_all(s.drives / "c");
         fs::create_directories(s.drives / "c");
     },
     {"FAILED:  drive C: is the folder ",
      "which is empty: the share that holds the database is "
      "not mounted there",
      rootCommand("mount ")},
     "rulevion-jetwriter students",
     1},
    {"monitor_names_the_drive_without_the_database",
     [](Station& s) { writeFile(s.folder / "__monitor.txt", "a\nb\n0\n"); },
     {"FAILED:  drive D: is the folder ", "__monitor.txt chooses drive D: (its third line)",
      "The database is on drive C: (", "the third line should be 1"},
     "rulevion-jetwriter students",
     1},
    {"monitor_names_a_missing_drive",
     [](Station& s) {
         fs::remove_all(s.drives / "c");
         writeFile(s.folder / "__monitor.txt", "a\nb\n1\n");
     },
     {"FAILED:  drive C: is the folder ", "__monitor.txt chooses drive C:"},
     "The database is on drive",
     1},
    {"password_file_unreadable",
     [](Station& s) {
         fs::permissions(s.folder / "vdmdat01.bin", fs::perms::owner_write);
         s.openToEveryone();
     },
     {"PROBLEM: vdmdat01.bin exists but cannot be read", "mode 0200", "sudo chown ",
      "sudo chmod a+r "},
     "rulevion-jetwriter password",
     -1},
};

class StationAdvice : public testing::TestWithParam<AdviceCase> {};

TEST_P(StationAdvice, NamesTheCauseAndTheSafeCure) {
    const AdviceCase& c = GetParam();
    Station station;
    station.writeStudents();
    c.breakIt(station);

    const ToolResult r = station.check();

    ASSERT_TRUE(r.finished) << r.err;
    // -1: other checks may fail too when the check runs as another user.
    if (c.exitCode >= 0) {
        EXPECT_EQ(r.exitCode, c.exitCode) << r.out << r.err;
    }
    for (const std::string& part : c.says)
        EXPECT_NE(r.out.find(part), std::string::npos) << part << "\n" << r.out;
    EXPECT_EQ(r.out.find(c.neverSays), std::string::npos) << r.out;
}

INSTANTIATE_TEST_SUITE_P(Stations, StationAdvice, testing::ValuesIn(kAdviceCases),
                         [](const auto& info) { return std::string(info.param.name); });

// The verdict for the station's user, whoever runs the check: root judges with that user's
// rights, so a file only root may read fails for root as it fails for the user.
struct UserCase {
    const char* name;
    std::function<void(Station&)> breakIt;  // after the database is written
    std::vector<std::string> says;
    const char* verdict;  // the last line
    int exitCode;
};

void rootsOnly(const fs::path& file) {
    ASSERT_EQ(chown(file.c_str(), 0, 0), 0);
    fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write);
}

const char* const kNoSignIn =
    "No student can sign in at this station until the failures above are put right.";

const UserCase kUserCases[] = {
    {"in_order", [](Station&) {}, {}, "Students can sign in and train at this station.", 0},
    {"database_and_password_file_roots_only",
     [](Station& s) {
         rootsOnly(s.database);
         rootsOnly(s.folder / "vdmdat01.bin");
     },
     {"FAILED:  the database ",
      "cannot be read (owner root, mode 0600; the station's user nobody cannot read it",
      "PROBLEM: vdmdat01.bin exists but cannot be read"},
     kNoSignIn,
     1},
    {"result_file_roots_only",
     [](Station& s) {
         writeFile(s.folder / "vdm_out.txt", "1");
         rootsOnly(s.folder / "vdm_out.txt");
     },
     {"FAILED:  vdm_out.txt cannot be written"},
     kNoSignIn,
     1},
    {"exercises_not_installed",
     [](Station& s) { s.config = "exercises=no-such-exercises\ntrainer=true\n"; },
     {"FAILED:  exercises=no-such-exercises: the program no-such-exercises is not installed"},
     "Students can sign in at this station, but the driving exercises will not start until the "
     "failures above are put right.",
     3},
    {"no_commands",
     [](Station& s) { s.config = ""; },
     {"FAILED:  exercises= is not set", "FAILED:  trainer= is not set"},
     "Students can sign in at this station, but the driving exercises and the trainer's tools "
     "will not start until the failures above are put right.",
     3},
    {"exercises_broken_and_database_missing",
     [](Station& s) {
         s.config = "trainer=true\n";
         fs::remove(s.database);
     },
     {"FAILED:  exercises= is not set", "FAILED:  the database "},
     kNoSignIn,
     1},
};

enum class Runner { RootForUser, RootForFolderOwner, User };

class StationUserCheck : public testing::TestWithParam<std::tuple<UserCase, Runner>> {};

TEST_P(StationUserCheck, JudgesForTheStationsUser) {
    const auto& [c, runner] = GetParam();
    if (runner != Runner::User && geteuid() != 0) GTEST_SKIP() << "needs root";
    Station station;
    station.writeStudents();
    station.openToEveryone();
    std::vector<std::string> args = {"check"};
    switch (runner) {
        case Runner::RootForUser:
            station.unprivileged = false;
            args = {"check", "--user", "nobody"};
            break;
        case Runner::RootForFolderOwner:
            station.unprivileged = false;
            ASSERT_EQ(chown(station.folder.c_str(), 65534, 65534), 0);
            break;
        case Runner::User: break;
    }
    c.breakIt(station);

    const ToolResult r = station.check("C", args);

    ASSERT_TRUE(r.finished) << r.err;
    EXPECT_EQ(r.exitCode, c.exitCode) << r.out << r.err;
    const std::string judgedFor =
        runner == Runner::User
            ? "Checked for the user nobody (uid 65534), who runs the check.\n"
            : "Checked for the station's user nobody (uid 65534): root takes its rights for the "
              "check.\n";
    EXPECT_EQ(r.out.rfind(judgedFor, 0), 0u) << r.out;
    for (const std::string& part : c.says)
        EXPECT_NE(r.out.find(part), std::string::npos) << part << "\n" << r.out;
    const std::string verdict = std::string("\n") + c.verdict + "\n";
    EXPECT_EQ(r.out.rfind(verdict), r.out.size() - verdict.size()) << r.out;
    if (runner != Runner::User) {
        EXPECT_EQ(r.out.find("sudo"), std::string::npos) << r.out;
    }
}

std::string runnerName(Runner runner) {
    switch (runner) {
        case Runner::RootForUser: return "root_for_user";
        case Runner::RootForFolderOwner: return "root_for_folder_owner";
        case Runner::User: break;
    }
    return "as_user";
}

INSTANTIATE_TEST_SUITE_P(Stations, StationUserCheck,
                         testing::Combine(testing::ValuesIn(kUserCases),
                                          testing::Values(Runner::RootForUser,
                                                          Runner::RootForFolderOwner,
                                                          Runner::User)),
                         [](const auto& info) {
                             return std::string(std::get<0>(info.param).name) + "_" +
                                    runnerName(std::get<1>(info.param));
                         });

// Where check looks and which drives it maps: the command line, then the environment, then the
// system's file; with none of them, the current folder and /mnt. A user's file the user can
// write (as any file the test writes is, for whoever runs it) is named and not read.
TEST(StationConfigPrecedence, CommandLineThenEnvironmentThenSystem) {
    TempDir dir;
    for (const char* folder : {"system", "user", "given", "."}) {
        fs::create_directories(dir / folder);
        writeFile(dir / folder / "__monitor.txt", "a\nb\n1\n");
    }
    const fs::path systemConf = dir / "etc/station.conf";
    const fs::path userConf = dir / "config/rulevion/station.conf";
    fs::create_directories(systemConf.parent_path());
    fs::create_directories(userConf.parent_path());
    const auto conf = [&](const std::string& folder, const std::string& drives) {
        std::string text = "# set by the test\n";
        if (!folder.empty()) text += "folder=" + (dir / folder).string() + "\n";
        if (!drives.empty()) text += "drives=" + (dir / drives).string() + "\n";
        return text;
    };
    struct Case {
        const char* name;
        std::string system, user;  // the files' texts; empty: no file
        std::vector<std::string> args;
        const char* drivesVariable;  // nullptr: not set
        std::string folder, drives;  // what the check must use
    };
    const Case cases[] = {
        {"system file",
         conf("system", "system-drives"),
         "",
         {},
         nullptr,
         "system",
         "system-drives"},
        {"user's own file not read",
         conf("system", "system-drives"),
         conf("user", "user-drives"),
         {},
         nullptr,
         "system",
         "system-drives"},
        {"environment over the files",
         conf("system", "system-drives"),
         conf("user", "user-drives"),
         {},
         "env-drives",
         "system",
         "env-drives"},
        {"command line over all",
         conf("system", "system-drives"),
         conf("user", "user-drives"),
         {"given"},
         "env-drives",
         "given",
         "env-drives"},
        {"nothing set", "", "", {}, nullptr, ".", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove(systemConf);
        fs::remove(userConf);
        if (!c.system.empty()) writeFile(systemConf, c.system);
        if (!c.user.empty()) writeFile(userConf, c.user);
        std::vector<std::string> args = {"check"};
        for (const std::string& a : c.args) args.push_back((dir / a).string());
        std::map<std::string, std::string> env = {
            {"RULEVION_CONFIG_DIR", systemConf.parent_path().string()},
            {"XDG_CONFIG_HOME", (dir / "config").string()}};
        if (c.drivesVariable) env["VDM_DRIVES"] = (dir / c.drivesVariable).string();

        const ToolResult r = runStation(args, dir.path(), env);

        ASSERT_TRUE(r.finished) << r.err;
        const fs::path folder = (dir / c.folder).lexically_normal();
        const std::string folderText =
            folder.string().back() == '/' ? folder.parent_path().string() : folder.string();
        EXPECT_NE(r.out.find("passed:  station folder " + folderText + "\n"), std::string::npos)
            << r.out;
        const std::string drive = c.drives.empty() ? "/mnt/c" : (dir / c.drives / "c").string();
        EXPECT_NE(r.out.find("drive C: is the folder " + drive), std::string::npos) << r.out;
        EXPECT_EQ(r.out.find(userConf.string() + " is not read: ") != std::string::npos,
                  !c.user.empty())
            << r.out;
        EXPECT_EQ(r.err, "");
    }
}

// The technician reads what to do in his own language.
TEST(StationCheckRussian, TellsHowToSaveAnEncryptedDatabase) {
    Station station;
    station.encrypted = true;
    station.writeStudents();

    const ToolResult r = station.check("ru_RU.UTF-8");

    ASSERT_TRUE(r.finished) << r.err;
    EXPECT_EQ(r.exitCode, 1) << r.out;
    EXPECT_NE(r.out.find("база данных зашифрована: сохраните ее без пароля в Access (Файл, "
                         "Сведения, Расшифровать базу данных)"),
              std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("\nНи один курсант не сможет войти на этой станции, пока не исправлены "
                         "ошибки выше.\n"),
              std::string::npos)
        << r.out;
}

// A good station passes, the drive and the count are named, and the check changes nothing.
TEST(StationCheckGood, PassesAndChangesNothing) {
    Station station;
    station.writeStudents();
    writeFile(station.folder / "vdm_out.txt", "1");
    const std::string before = folderState(station.dir.path());

    const ToolResult r = station.check();

    ASSERT_TRUE(r.finished) << r.err;
    EXPECT_EQ(r.exitCode, 0) << r.out;
    EXPECT_EQ(r.out.find("FAILED"), std::string::npos) << r.out;
    for (const char* line :
         {"passed:  __monitor.txt: the database is on drive C:",
          "passed:  table Students with its six columns", "passed:  3 student(s)",
          "passed:  password file vdmdat01.bin", "passed:  help document vdm03.pdf",
          "Students can sign in and train at this station."})
        EXPECT_NE(r.out.find(line), std::string::npos) << line << "\n" << r.out;
    EXPECT_NE(r.out.find("passed:  drive C: is the folder " + (station.drives / "c").string()),
              std::string::npos)
        << r.out;
    EXPECT_EQ(folderState(station.dir.path()), before);
}

}  // namespace
