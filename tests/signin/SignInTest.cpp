#include "Cp1251.h"
#include "CsvClassList.h"
#include "EncryptedFiles.h"
#include "FakeSignInView.h"
#include "Jet.h"
#include "JetWriter.h"
#include "MessageCatalogue.h"
#include "Process.h"
#include "RecordingServices.h"
#include "ScopedEnv.h"
#include "SignIn.h"
#include "Station.h"
#include "TempDir.h"

#include <gtest/gtest.h>
#include <QWidget>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <vector>

namespace fs = std::filesystem;

namespace {

// The engine's own description, whose wording belongs to the database layer.
Box engineBox() {
    return {kEngineBox, {}};
}

const std::string kCsvHeader = "StBook,StName,StNum,GrNum,StCount,GrCount\n";

// A class list whose rows make the cases of the table below.
const std::string kRoster = kCsvHeader +
                            "\"12345\",\"Иванов Иван Иванович\",\"1\",\"Группа 1\",3,12\n"
                            "\"А-100\",\"Петрова Анна Сергеевна\",\"2\",\"Утренняя-2\",0,8\n"
                            "\"ab12\",\"Сидоров Пётр Алексеевич\",\"3\",\"Вечерняя\",-5,15\n"
                            "\"ЗК-2024/5\",\"Ёлкина Алёна\",\"4\",\"Выходного дня\",17,6\n"
                            "\"77\",\"Первый Дубль\",\"5\",\"Г1\",1,1\n"
                            "\"77\",\"Второй Дубль\",\"6\",\"Г2\",2,2\n"
                            "\"Dup\",\"Первый Регистр\",\"7\",\"Г3\",3,3\n"
                            "\"DUP\",\"Второй Регистр\",\"8\",\"Г4\",4,4\n"
                            "\"N1\",,\"9\",,,\n"
                            "\"min\",\"Мин\",\"10\",\"Г5\",-2147483648,2147483647\n";

// A station (its folder the current directory) and the sign-in's objects.
class SignInTest : public ::testing::Test {
protected:
    Station place;
    const fs::path& station = place.folder();
    const fs::path& drives = place.drives();
    ScopedCwd cwd{station};
    ui::RecordingServices services;
    FakeSignInView view;
    SignInState state;
    DatabaseObjects db;

    void monitor(const std::string& bytes) { place.monitor(bytes); }

    fs::path databaseFile(const std::string& drive = "c") {
        return drives / drive / "dat_ulmo/as_dbase/trener/01/dbtrener.mdb";
    }

    // Builds the database with the station's own tool, as a school would from its class list.
    void makeDatabase(const fs::path& file, const std::string& csv) {
        const std::string problem = writeStudentsDatabase(csv, file);
        ASSERT_EQ(problem, "");
    }

    // Presses OK where the sign-in goes on; one that ends the process here aborts the tests.
    void pressOk(const std::string& typedUtf8) {
        view.entry = cp1251::fromUtf8(typedUtf8);
        pressOkAgain();
    }
    void pressOkAgain() { panel::onSignIn(services, view, state, db); }

    // Presses OK where the sign-in ends the process: in a child, where check looks at the run
    // at its end, answering the boxes expected with OK. The child must end with status 0.
    void pressOkToTheEnd(
        const std::string& typedUtf8, const std::vector<Box>& boxes,
        const std::function<void()>& check = [] {}) {
        const ChildResult child = runWithDeadline([&] {
            services.answerOk(boxes.size());
            services.onEnd = [&](int) {
                expectBoxes(boxes);
                check();
                reportToParent("ended");
            };
            pressOk(typedUtf8);
            return std::string("the sign-in went on");
        });
        ASSERT_TRUE(child.finished) << "the sign-in hung";
        EXPECT_EQ(child.status, 0);
        EXPECT_EQ(child.report, "ended");
    }

    std::optional<std::string> fileIn(const fs::path& file) {
        if (!fs::exists(fs::symlink_status(file))) return std::nullopt;
        return readFile(file);
    }

    void expectBoxes(const std::vector<Box>& expected) {
        ASSERT_EQ(services.boxes.size(), expected.size());
        for (std::size_t i = 0; i < expected.size(); ++i) {
            SCOPED_TRACE("box " + std::to_string(i));
            const ui::RecordingServices::Box& box = services.boxes[i];
            if (expected[i].slot == kEngineBox) {
                EXPECT_TRUE(box.engine);
                EXPECT_FALSE(box.text.empty());
                continue;
            }
            EXPECT_FALSE(box.engine);
            EXPECT_EQ(box.owner, &view.widget);
            EXPECT_EQ(box.title, catalogue().caption);
            EXPECT_EQ(box.type, ui::kBoxSignInError);
            EXPECT_EQ(box.text, catalogue().slotTexts[expected[i].slot] + expected[i].appended);
        }
    }

    // A table's next case starts as a fresh station: no drives, no outputs, no sign-in yet.
    void startAgain() {
        fs::remove_all(drives);
        for (const char* f : {"db1.out", "vdm_out.txt"}) fs::remove(station / f);
        services = {};
        state = {};
        db.release();
    }

    // A fatal end: the process ended with "1" for the shell, and no sign-in record.
    void expectFatalEnd() {
        EXPECT_EQ(fileIn(station / "vdm_out.txt"), "1");
        EXPECT_FALSE(fs::exists(fs::symlink_status(station / "db1.out")));
    }
};

// The entry field after a sign-in, UTF-8.
std::string shown(const std::string& name, const std::string& number, const std::string& group) {
    return name + "  (№" + number + " в группе \"" + group + "\")";
}

TEST_F(SignInTest, BlankEntryDoesNothingAndTheNextRealNumberIsSignedIn) {
    makeDatabase(databaseFile(), kRoster);
    fs::remove(station / "__monitor.txt");  // a blank entry must not even look for it
    for (const std::string& blank : {std::string(), std::string("   "), std::string("\0 \0", 3)}) {
        view.entry = blank;
        pressOkAgain();
        EXPECT_EQ(state.recordBookText, blank);
        EXPECT_FALSE(state.signInAttempted);
    }
    EXPECT_TRUE(services.boxes.empty());
    EXPECT_FALSE(fileIn(station / "db1.out"));

    monitor("a\nb\n1\n");
    pressOk("12345");
    EXPECT_TRUE(state.signInAttempted);
    EXPECT_TRUE(fileIn(station / "db1.out"));
}

struct MonitorCase {
    const char* name;
    std::optional<std::string> monitor;  // nullopt: no monitor file
    SlotId slot;                         // the message shown
    std::string appended;
};

// Without a database on either drive, the path in the missing-database message shows which drive
// the monitor file chose.
TEST_F(SignInTest, MonitorFileChoosesTheDriveOrEndsTheRun) {
    const std::string chars100(100, 'x');
    const MonitorCase cases[] = {
        {"no file", std::nullopt, slot::kCannotOpenMonitor, "__monitor.txt"},
        {"two lines", "a\r\nb\r\n", slot::kCannotReadMonitor, "__monitor.txt"},
        {"empty third line", "a\nb\n\n1\n", slot::kWrongMonitor, "__monitor.txt"},
        {"1 without line end", "a\nb\n1", slot::kNoDatabaseFile, kPathC},
        {"0abc", "a\nb\n0abc\n", slot::kNoDatabaseFile, kPathD},
        {"100 characters, a word, 1", chars100 + "\nword\n1\n", slot::kWrongMonitor,
         "__monitor.txt"},
        {"CR LF lines", "a\r\nb\r\n0\r\n", slot::kNoDatabaseFile, kPathD},
        {"empty file", "", slot::kCannotReadMonitor, "__monitor.txt"},
    };
    for (const MonitorCase& c : cases) {
        SCOPED_TRACE(c.name);
        startAgain();
        fs::remove(station / "__monitor.txt");
        if (c.monitor) monitor(*c.monitor);

        pressOkToTheEnd("12345", {{c.slot, c.appended}}, [&] {
            EXPECT_TRUE(state.signInAttempted);
            EXPECT_EQ(view.label, "label before sign-in");
        });
        expectFatalEnd();
    }
}

TEST_F(SignInTest, MonitorFileThatIsAFolderCannotBeRead) {
    fs::remove(station / "__monitor.txt");
    fs::create_directory(station / "__monitor.txt");
    pressOkToTheEnd("12345", {{slot::kCannotReadMonitor, "__monitor.txt"}});
    expectFatalEnd();
}

TEST_F(SignInTest, DatabaseIsFoundOnTheDriveTheMonitorFileNames) {
    struct Case {
        const char* name;
        std::string monitor;
        std::string folder;  // the database file, under the drives root
    } cases[] = {
        {"drive D", "a\nb\n0\n", "d/dat_ulmo/as_dbase/trener/01/dbtrener.mdb"},
        {"drive C", "a\nb\n1\n", "c/dat_ulmo/as_dbase/trener/01/dbtrener.mdb"},
        {"dosdevices, names in upper case", "a\nb\n1\n",
         "c:/DAT_ULMO/AS_DBASE/TRENER/01/DBTRENER.MDB"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        startAgain();
        monitor(c.monitor);
        makeDatabase(drives / c.folder, kRoster);
        pressOk("12345");
        EXPECT_TRUE(services.boxes.empty());
        EXPECT_EQ(state.StName, cp1251::fromUtf8("Иванов Иван Иванович"));
    }
}

enum class Source { ClassList, Bytes, NoStudentsTable, CountAsText, Missing };

// A Students table whose StCount column holds text instead of a long integer.
void writeCountAsText(const fs::path& file) {
    jetwriter::Table t = classlist::studentsTable();
    t.columns[4] = {"StCount", jetwriter::ColumnType::Text, 50};
    t.rows = {{std::string("12345"), std::string("Иванов"), std::string("1"), std::string("Г"),
               std::string("3"), std::int32_t{12}}};
    jetwriter::writeDatabase(file, {t});
}

struct SignInCase {
    const char* name;
    Source source;
    std::string content;  // the class list (UTF-8 CSV) or the file's bytes
    std::string typed;    // UTF-8
    std::vector<Box> boxes;
    std::optional<std::string> record;  // db1.out, UTF-8; nullopt: not written
    std::string shown;                  // the entry field afterwards, UTF-8
    bool fatal = false;
};

TEST_F(SignInTest, LooksUpTheStudentAndWritesTheRecord) {
    const std::string notADatabase(4096, 'n');
    jetwriter::Options ace;
    ace.format = jetwriter::Format::Ace;
    const std::string encrypted = testfiles::officeEncrypted(jetwriter::databaseBytes(
        {{"Students", {{"StBook", jetwriter::ColumnType::Text}}, {{std::string("12345")}}}}, ace));
    // clang-format off
    const SignInCase cases[] = {
        {"exact match", Source::ClassList, kRoster, "12345", {},
         "Иванов Иван Иванович\r\n1\r\nГруппа 1\r\n12345\r\n3\r\n12\r\n",
         shown("Иванов Иван Иванович", "1", "Группа 1")},
        {"Latin letters in other case, negative count", Source::ClassList, kRoster, "AB12", {},
         "Сидоров Пётр Алексеевич\r\n3\r\nВечерняя\r\nAB12\r\n-5\r\n15\r\n",
         shown("Сидоров Пётр Алексеевич", "3", "Вечерняя")},
        {"Cyrillic letters in other case", Source::ClassList, kRoster, "зк-2024/5", {},
         "Ёлкина Алёна\r\n4\r\nВыходного дня\r\nзк-2024/5\r\n17\r\n6\r\n",
         shown("Ёлкина Алёна", "4", "Выходного дня")},
        {"Cyrillic first letter", Source::ClassList, kRoster, "а-100", {},
         "Петрова Анна Сергеевна\r\n2\r\nУтренняя-2\r\nа-100\r\n0\r\n8\r\n",
         shown("Петрова Анна Сергеевна", "2", "Утренняя-2")},
        {"same number twice: the first", Source::ClassList, kRoster, "77", {},
         "Первый Дубль\r\n5\r\nГ1\r\n77\r\n1\r\n1\r\n", shown("Первый Дубль", "5", "Г1")},
        {"numbers differing in case: the first", Source::ClassList, kRoster, "dUP", {},
         "Первый Регистр\r\n7\r\nГ3\r\ndUP\r\n3\r\n3\r\n", shown("Первый Регистр", "7", "Г3")},
        {"Nulls read as empty and 0", Source::ClassList, kRoster, "n1", {},
         "\r\n9\r\n\r\nn1\r\n0\r\n0\r\n", shown("", "9", "")},
        {"extreme counts", Source::ClassList, kRoster, "MIN", {},
         "Мин\r\n10\r\nГ5\r\nMIN\r\n-2147483648\r\n2147483647\r\n", shown("Мин", "10", "Г5")},
        {"leading blank: not found", Source::ClassList, kRoster, " 12345", {{slot::kStudentNotFound, ""}},
         std::nullopt, " 12345"},
        {"trailing blank: not found", Source::ClassList, kRoster, "12345 ", {{slot::kStudentNotFound, ""}},
         std::nullopt, "12345 "},
        {"tab is content: not found", Source::ClassList, kRoster, "\t", {{slot::kStudentNotFound, ""}},
         std::nullopt, "\t"},
        {"unknown number", Source::ClassList, kRoster, "99999", {{slot::kStudentNotFound, ""}}, std::nullopt, "99999"},
        {"empty table", Source::ClassList, kCsvHeader, "12345", {{slot::kStudentNotFound, ""}}, std::nullopt, "12345"},
        {"no Students table", Source::NoStudentsTable, "", "12345", {engineBox(), {slot::kNoStudentsTable, ""}},
         std::nullopt, "12345", true},
        {"count column holding text", Source::CountAsText, "", "12345", {engineBox(), {slot::kCannotOpenStudents, ""}},
         std::nullopt, "12345", true},
        {"not a database", Source::Bytes, notADatabase, "12345", {engineBox(), {slot::kCannotOpenDatabase, kPathC}},
         std::nullopt, "12345", true},
        {"saved with a password", Source::Bytes, encrypted, "12345", {engineBox(), {slot::kCannotOpenDatabase, kPathC}},
         std::nullopt, "12345", true},
        {"empty file", Source::Bytes, "", "12345", {engineBox(), {slot::kCannotOpenDatabase, kPathC}}, std::nullopt,
         "12345", true},
        {"missing database file", Source::Missing, "", "12345", {{slot::kNoDatabaseFile, kPathC}}, std::nullopt,
         "12345", true},
    };
    // clang-format on
    for (const SignInCase& c : cases) {
        SCOPED_TRACE(c.name);
        startAgain();
        view.label = "label before sign-in";

        switch (c.source) {
            case Source::ClassList: makeDatabase(databaseFile(), c.content); break;
            case Source::Bytes:
                fs::create_directories(databaseFile().parent_path());
                writeFile(databaseFile(), c.content);
                break;
            case Source::NoStudentsTable:
                fs::create_directories(databaseFile().parent_path());
                jetwriter::writeDatabase(databaseFile(),
                                         {{"Groups",
                                           {{"GrNum", jetwriter::ColumnType::Text, 100},
                                            {"GrCount", jetwriter::ColumnType::Long}},
                                           {{std::string("Группа 1"), std::int32_t{12}}}}});
                break;
            case Source::CountAsText:
                fs::create_directories(databaseFile().parent_path());
                writeCountAsText(databaseFile());
                break;
            case Source::Missing: break;
        }

        if (c.fatal) {
            pressOkToTheEnd(c.typed, c.boxes, [&] {
                EXPECT_TRUE(state.signInAttempted);
                EXPECT_EQ(state.recordBookText, cp1251::fromUtf8(c.typed));
            });
            expectFatalEnd();
            continue;
        }
        services.answerOk(c.boxes.size());
        pressOk(c.typed);
        expectBoxes(c.boxes);
        EXPECT_TRUE(state.signInAttempted);
        EXPECT_EQ(state.recordBookText, cp1251::fromUtf8(c.typed));
        EXPECT_FALSE(fileIn(station / "vdm_out.txt"));
        const bool found = c.record.has_value();
        EXPECT_EQ(fileIn(station / "db1.out"),
                  found ? std::optional(cp1251::fromUtf8(*c.record)) : std::nullopt);
        EXPECT_EQ(view.entry, cp1251::fromUtf8(c.shown));
        EXPECT_EQ(view.label, found ? messageText(text::kSignedInLabel) : "label before sign-in");
        ASSERT_TRUE(db.database && db.recordset && db.tableDef);
        EXPECT_TRUE(db.database->isOpen() && db.tableDef->isOpen() && db.recordset->isOpen());

        // A second press changes nothing, whatever the field holds now.
        const auto record = fileIn(station / "db1.out");
        const std::size_t boxes = services.boxes.size();
        pressOkAgain();
        pressOk("12345");
        EXPECT_EQ(services.boxes.size(), boxes);
        EXPECT_EQ(fileIn(station / "db1.out"), record);
        EXPECT_EQ(view.label, found ? messageText(text::kSignedInLabel) : "label before sign-in");
        EXPECT_EQ(state.recordBookText, cp1251::fromUtf8("12345"));
    }
}

// Students tables as schools really have them, each signed in through the real helper: number
// kinds in every column, rows Access moved or deleted, and an Access 97 file.
struct SchoolFile {
    const char* name;
    std::vector<jetwriter::Column> columns;
    std::vector<jetwriter::Row> rows;
    std::vector<jetwriter::RowPlacement> placements;
    std::map<std::size_t, jetwriter::Row> staleCopies;
    jetwriter::Format format;
    const char* typed;                  // UTF-8
    std::optional<std::string> record;  // db1.out, UTF-8; nullopt: not found
};

// The Students table's columns with StNum and the counts of other kinds.
std::vector<jetwriter::Column> studentColumns(jetwriter::ColumnType stNum,
                                              jetwriter::ColumnType stCount,
                                              jetwriter::ColumnType grCount) {
    std::vector<jetwriter::Column> columns = classlist::studentsTable().columns;
    columns[2].type = stNum;
    columns[4].type = stCount;
    columns[5].type = grCount;
    return columns;
}

// A school whose table keeps the name in parts: StName is Access's calculated column (surname &
// " " & first name), and so are the counts.
std::vector<jetwriter::Column> calculatedColumns() {
    using jetwriter::ColumnType;
    std::vector<jetwriter::Column> columns =
        studentColumns(ColumnType::Text, ColumnType::Long, ColumnType::Double);
    const auto calculate = [](jetwriter::Column& c, const char* expression) {
        c.calculated = true;
        c.expression = expression;
    };
    calculate(columns[1], "[Surname] & \" \" & [FirstName]");
    calculate(columns[4], "Len([Surname])");
    calculate(columns[5], "[StCount] / 4");
    columns.push_back({"Surname", ColumnType::Text, 100});
    columns.push_back({"FirstName", ColumnType::Text, 100});
    return columns;
}

jetwriter::Row student(const std::string& book, const std::string& name, jetwriter::Value num,
                       jetwriter::Value count, jetwriter::Value groupCount) {
    return {book, name, std::move(num), std::string("Г1"), std::move(count), std::move(groupCount)};
}

jetwriter::Row named(jetwriter::Row row, const std::string& surname, const std::string& first) {
    row.push_back(surname);
    row.push_back(first);
    return row;
}

TEST_F(SignInTest, SignsInFromSchoolFilesOfEveryKind) {
    using jetwriter::ColumnType;
    using jetwriter::Currency;
    using jetwriter::Format;
    using P = jetwriter::RowPlacement;
    const std::string one = "1";
    const auto texts = studentColumns(ColumnType::Text, ColumnType::Long, ColumnType::Long);
    // A school that edited its list: row 2 moved twice (its stale copy holds old values), row 3
    // moved and then deleted, row 4 deleted in place; the same numbers again at the end.
    const std::vector<jetwriter::Row> edited = {
        student("A1", "Первый", one, 1, 1),    student("B2", "Новое Имя", one, 22, 2),
        student("C3", "Удалённый", one, 3, 3), student("D4", "Тоже удалённый", one, 4, 4),
        student("E5", "Последний", one, 5, 5), student("D4", "Живой", one, 44, 4),
    };
    const std::vector<P> placements = {P::InPlace, P::MovedTwice, P::MovedThenDeleted, P::Deleted};
    const std::map<std::size_t, jetwriter::Row> stale = {
        {1, student("B2", "Старое Имя", one, 2, 2)}};
    // clang-format off
    const SchoolFile cases[] = {
        {"Integer and Byte counts",
         studentColumns(ColumnType::Text, ColumnType::Integer, ColumnType::Byte),
         {student("12345", "Иванов", one, -300, 0), student("777", "Петров", one, 32767, 255)},
         {}, {}, Format::Jet4, "777", "Петров\r\n1\r\nГ1\r\n777\r\n32767\r\n255\r\n"},
        {"Long StNum, Null StNum",
         studentColumns(ColumnType::Long, ColumnType::Long, ColumnType::Long),
         {student("1", "Без номера", std::nullopt, 1, 1),
          student("2", "С номером", std::int32_t{-2000000000}, 2, 2)},
         {}, {}, Format::Jet4, "2", "С номером\r\n-2000000000\r\nГ1\r\n2\r\n2\r\n2\r\n"},
        {"Double and Currency counts rounded half away from zero",
         studentColumns(ColumnType::Currency, ColumnType::Double, ColumnType::Currency),
         {student("x", "Дробный", Currency{125000}, -2.5, Currency{125000})},
         {}, {}, Format::Ace, "X", "Дробный\r\n12.5\r\nГ1\r\nX\r\n-3\r\n13\r\n"},
        {"moved twice: his current values", texts, edited, placements, stale, Format::Jet4, "b2",
         "Новое Имя\r\n1\r\nГ1\r\nb2\r\n22\r\n2\r\n"},
        {"moved then deleted: not found", texts, edited, placements, stale, Format::Jet4, "C3",
         std::nullopt},
        {"deleted, then added again: the live row", texts, edited, placements, stale, Format::Ace,
         "d4", "Живой\r\n1\r\nГ1\r\nd4\r\n44\r\n4\r\n"},
        {"after the edited rows", texts, edited, placements, stale, Format::Jet3, "E5",
         "Последний\r\n1\r\nГ1\r\nE5\r\n5\r\n5\r\n"},
        {"calculated name and counts", calculatedColumns(),
         {named(student("К-1", "Иванов Иван", one, 6, 1.5), "Иванов", "Иван"),
          named(student("К-2", "Ёлкина Алёна", one, 6, 2.5), "Ёлкина", "Алёна")},
         {}, {}, Format::Ace, "к-2", "Ёлкина Алёна\r\n1\r\nГ1\r\nк-2\r\n6\r\n3\r\n"},
        {"Access 97, Cyrillic record-book number in other case", texts,
         {student("ЗК-1", "Ёлкина", one, 1, 1), student("ЖЯ-2", "Юрьев", one, 2, 2)},
         {}, {}, Format::Jet3, "жя-2", "Юрьев\r\n1\r\nГ1\r\nжя-2\r\n2\r\n2\r\n"},
    };
    // clang-format on
    for (const SchoolFile& c : cases) {
        SCOPED_TRACE(c.name);
        startAgain();
        fs::create_directories(databaseFile().parent_path());
        jetwriter::Options options;
        options.format = c.format;
        jetwriter::writeDatabase(databaseFile(),
                                 {{"Students", c.columns, c.rows, c.placements, c.staleCopies}},
                                 options);

        if (!c.record) services.answerOk();
        pressOk(c.typed);
        if (c.record) {
            EXPECT_TRUE(services.boxes.empty())
                << (services.boxes.empty() ? "" : cp1251::toUtf8(services.boxes[0].text));
        } else {
            expectBoxes({{slot::kStudentNotFound, ""}});
        }
        EXPECT_EQ(fileIn(station / "db1.out"),
                  c.record ? std::optional(cp1251::fromUtf8(*c.record)) : std::nullopt);
    }
}

// A column of a kind the sign-in cannot use is refused at the recordset's open, its description
// naming the column and the kind: a date, and a Yes/No that Access calculates.
TEST_F(SignInTest, ColumnOfAnUnusableKindIsNamedWithItsKind) {
    using jetwriter::ColumnType;
    const jetwriter::Column yesNo =
        jetwriter::calculatedColumn("StCount", ColumnType::Boolean, "[GrCount] > 0");
    std::vector<jetwriter::Column> calculated =
        studentColumns(ColumnType::Text, ColumnType::Long, ColumnType::Long);
    calculated[4] = yesNo;
    const struct {
        std::vector<jetwriter::Column> columns;
        jetwriter::Value count;
        jetwriter::Format format;
        const char* kind;
    } cases[] = {
        {studentColumns(ColumnType::Text, ColumnType::DateTime, ColumnType::Long),
         jetwriter::DateTime{45000.5}, jetwriter::Format::Jet4, "Дата/время"},
        {calculated, true, jetwriter::Format::Ace, "Логический"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.kind);
        startAgain();
        fs::create_directories(databaseFile().parent_path());
        jetwriter::Options options;
        options.format = c.format;
        jetwriter::writeDatabase(
            databaseFile(),
            {{"Students", c.columns, {student("1", "Иванов", std::string("1"), c.count, 1)}}},
            options);
        pressOkToTheEnd("1", {engineBox(), {slot::kCannotOpenStudents, ""}}, [&] {
            ASSERT_FALSE(services.boxes.empty());
            EXPECT_EQ(cp1251::toUtf8(services.boxes[0].text),
                      "ОШИБКА\n\nСтолбец \"StCount\" имеет тип \"" + std::string(c.kind) +
                          "\": программа не может прочитать его значения.");
        });
        expectFatalEnd();
    }
}

TEST_F(SignInTest, RecordThatCannotBeCreatedEndsTheRun) {
    makeDatabase(databaseFile(), kRoster);
    fs::create_directory(station / "db1.out");
    pressOkToTheEnd("12345", {{slot::kCannotCreateRecord, ""}},
                    [&] { EXPECT_EQ(view.label, "label before sign-in"); });
    EXPECT_EQ(fileIn(station / "vdm_out.txt"), "1");
    EXPECT_TRUE(fs::is_directory(station / "db1.out"));
}

TEST_F(SignInTest, FullDiskLeavesNoPartialRecord) {
    makeDatabase(databaseFile(), kRoster);
    fs::create_symlink("/dev/full", station / "db1.out");
    bool openWhileShown = false;
    services.onBox = [&](const ui::RecordingServices::Box&) {
        openWhileShown = fs::exists(fs::symlink_status(station / "db1.out"));
    };
    pressOkToTheEnd("12345", {{slot::kCannotWriteRecord, ""}}, [&] {
        EXPECT_TRUE(openWhileShown);  // the user is told before anything is cleaned up
        EXPECT_EQ(view.label, "label before sign-in");
    });
    expectFatalEnd();
}

// A long class list: the scan reads the numbers in batches, and a match past the first batch,
// or in the very last row, must still be found in table order.
TEST_F(SignInTest, FindsStudentsDeepInALongClassList) {
    std::string csv = kCsvHeader;
    for (int i = 0; i < 10000; ++i) {
        const std::string n = std::to_string(i);
        csv += "\"ZK" + n + "\",\"Студент " + n + "\",\"" + n + "\",\"Г" + std::to_string(i / 25) +
               "\"," + n + ",25\n";
    }
    makeDatabase(databaseFile(), csv);
    const std::string database = readFile(databaseFile());
    for (const char* typed : {"zk4097", "zK9999"}) {
        SCOPED_TRACE(typed);
        startAgain();
        place.database(database);
        pressOk(typed);
        EXPECT_TRUE(services.boxes.empty());
        const std::string n = std::string(typed).substr(2);
        EXPECT_EQ(fileIn(station / "db1.out"),
                  cp1251::fromUtf8("Студент " + n + "\r\n" + n + "\r\nГ" +
                                   std::to_string(std::stoi(n) / 25) + "\r\n" + typed + "\r\n" + n +
                                   "\r\n25\r\n"));
    }
}

// The technician sees which Linux folder was searched, in his language; the box keeps its text.
TEST_F(SignInTest, MissingDatabaseNamesTheSearchedPathOnStderr) {
    struct Case {
        std::optional<std::string> lcAll, lang;
        const char* line;
    } cases[] = {
        {std::nullopt, "C.UTF-8", "rulevion-menu: database file not found: "},
        {std::nullopt, "ru_RU.UTF-8", "rulevion-menu: файл базы данных не найден: "},
        {"en_GB.UTF-8", "ru_RU.UTF-8", "rulevion-menu: database file not found: "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        ScopedEnv lcAll("LC_ALL", c.lcAll);
        ScopedEnv lcMessages("LC_MESSAGES", std::nullopt);
        ScopedEnv lang("LANG", c.lang);
        startAgain();
        // The child inherits the captured stderr.
        ::testing::internal::CaptureStderr();
        pressOkToTheEnd("12345", {{slot::kNoDatabaseFile, kPathC}});
        const std::string err = ::testing::internal::GetCapturedStderr();
        EXPECT_EQ(err,
                  c.line + (drives / "c/dat_ulmo/as_dbase/trener/01/dbtrener.mdb").string() + "\n");
        expectFatalEnd();
    }
}

// An engine failure after the first two opens: here the last data page of the table is wiped, so
// the rows the table promises cannot all be read. The recordset's open reads them all and fails.
TEST_F(SignInTest, EngineFailureDuringTheScanEndsTheRunWithoutARecord) {
    std::string csv = kCsvHeader;
    for (int i = 0; i < 3000; ++i)
        csv += "\"B" + std::to_string(100000 + i) + "\",\"Имя\",\"1\",\"Г\",1,1\n";
    makeDatabase(databaseFile(), csv);
    std::string bytes = readFile(databaseFile());
    constexpr std::size_t kPage = 4096;
    std::size_t last = bytes.size() / kPage - 1;
    while (last > 0 && bytes[last * kPage] != 0x01) --last;  // the last data page
    ASSERT_GT(last, 10u);
    std::fill_n(bytes.begin() + static_cast<std::ptrdiff_t>(last * kPage), kPage, '\0');
    writeFile(databaseFile(), bytes);

    pressOkToTheEnd("B102999", {engineBox(), {slot::kCannotOpenStudents, ""}}, [&] {
        ASSERT_TRUE(db.recordset && db.tableDef);
        EXPECT_TRUE(db.tableDef->isOpen());
        EXPECT_FALSE(db.recordset->isOpen());  // the scan at the open found the damage
        EXPECT_EQ(view.label, "label before sign-in");
        EXPECT_EQ(view.entry, "B102999");
    });
    expectFatalEnd();
}

TEST_F(SignInTest, ReleaseClosesAndFreesTheDatabaseObjects) {
    makeDatabase(databaseFile(), kRoster);
    pressOk("12345");
    ASSERT_TRUE(db.database && db.recordset && db.tableDef);
    db.release();
    EXPECT_FALSE(db.database || db.recordset || db.tableDef);
    db.release();  // twice is harmless, as the panel's teardown may follow a release
}

}  // namespace
