// rulevion-station check on stations made as a technician makes them, each broken in one way.
#include <gtest/gtest.h>

#include "EncryptedFiles.h"
#include "JetWriter.h"
#include "PasswordFile.h"
#include "StationTool.h"
#include "StudentsCsv.h"
#include "TempDir.h"

#include <unistd.h>

#include <filesystem>
#include <functional>

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
        jetwriter::Table t = jetwriter::studentsTable();
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

    ToolResult check(const char* locale = "C") {
        return runStation(
            {"check", folder.string()}, dir.path(),
            {{"VDM_DRIVES", drives.string()}, {"HOME", dir.path().string()}, {"LC_ALL", locale}});
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
     "FAILED:  the database cannot be opened", 1},
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
}

INSTANTIATE_TEST_SUITE_P(BrokenStations, StationCheck, testing::ValuesIn(kCheckCases),
                         [](const auto& info) { return std::string(info.param.name); });

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
          "A student can sign in at this station."})
        EXPECT_NE(r.out.find(line), std::string::npos) << line << "\n" << r.out;
    EXPECT_NE(r.out.find("passed:  drive C: is the folder " + (station.drives / "c").string()),
              std::string::npos)
        << r.out;
    EXPECT_EQ(folderState(station.dir.path()), before);
}

}  // namespace
