// rulevion-jetwriter as a technician or a school runs it.
#include <gtest/gtest.h>
#include <QJsonArray>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <regex>

#include "Cp1251.h"
#include "CsvClassList.h"
#include "Readers.h"
#include "TempDir.h"

namespace fs = std::filesystem;

namespace {

const std::string kHeader = "StBook,StName,StNum,GrNum,StCount,GrCount\n";

std::size_t entries(const fs::path& dir) {
    return static_cast<std::size_t>(
        std::distance(fs::directory_iterator(dir), fs::directory_iterator()));
}

// The tool under a locale of the technician's: "C" or "ru_RU.UTF-8"; `dir` as working folder.
ProcessResult tool(const std::vector<std::string>& args, const std::string& lang = "C",
                   const std::string& dir = ".") {
    std::vector<std::string> all = {"-u",       "LC_ALL", "-u", "LC_MESSAGES",  "-u",
                                    "LANGUAGE", "-C",     dir,  "LANG=" + lang, jetwriterTool()};
    all.insert(all.end(), args.begin(), args.end());
    return runProcess("env", all);
}

std::string utf16le(std::u16string_view text) {
    std::string out = "\xFF\xFE";
    for (const char16_t u : text) {
        out += static_cast<char>(u & 0xFF);
        out += static_cast<char>(u >> 8);
    }
    return out;
}

std::string cp1251(const std::string& utf8) {
    return cp1251::fromUtf8(utf8);
}

using jetwriter::Row;

struct Sheet {
    const char* name;
    std::string bytes;
    std::vector<Row> rows;
    std::vector<std::string> report;  // parts of the report, in English
};

const Sheet kSheets[] = {
    {"ExcelSemicolonCp1251",
     cp1251("№ зачетки;ФИО;№;Группа\r\nЗК-1;Иванов Иван;1;1А\r\nЗК-2;Ёлкина Алёна;2;1А\r\n"),
     {{"ЗК-1", "Иванов Иван", "1", "1А", std::nullopt, std::nullopt},
      {"ЗК-2", "Ёлкина Алёна", "2", "1А", std::nullopt, std::nullopt}},
     {"Wrote 2 student(s)", "encoding CP1251 (Windows Cyrillic), separator semicolon",
      "\nno StCount, GrCount in the list; left empty\n"}},
    {"CalcUtf8CommaOtherOrder",
     "группа,фио,НОМЕР ЗАЧЁТКИ,StCount,GrCount,номер\n\"2, вечер\",Петров,77,3,12,5\n",
     {{"77", "Петров", "5", "2, вечер", 3, 12}},
     {"Wrote 1 student(s)", "encoding UTF-8, separator comma"}},
    {"ExcelCsvUtf8WithBom",
     "\xEF\xBB\xBFstbook;stname;stnum;grnum;stcount;grcount\r\n1;a;2;b;3;4\r\n",
     {{"1", "a", "2", "b", 3, 4}},
     {"encoding UTF-8 with byte-order mark, separator semicolon"}},
    {"UnicodeTextWithExtraColumn",
     utf16le(u"Зачетная книжка\tКурсант\tДата рождения\tГруппа\r\nA1\tСидоров\t01.02.2003\t2Б\r\n"),
     {{"A1", "Сидоров", std::nullopt, "2Б", std::nullopt, std::nullopt}},
     {"encoding UTF-16 LE (Unicode text), separator tab", "Passed over: columns: 1, lines: 0.",
      "line 1, column 3: \"Дата рождения\" is not a column of the class list"}},
    {"BlankPaddedAndEmptyLines",
     "StBook;StName\n 12 ;a\n\n;\n\"13\xC2\xA0\";b\n;;\n",
     {{"12", "a", std::nullopt, std::nullopt, std::nullopt, std::nullopt},
      {"13", "b", std::nullopt, std::nullopt, std::nullopt, std::nullopt}},
     {"Wrote 2 student(s)", "Passed over: columns: 0, lines: 2.", "line 4: only empty fields",
      "line 2, column 1 (StBook): blanks around the record-book number \" 12 \" removed"}},
    {"DuplicatesWrittenAsToday",
     "StBook,StName\nзк1,a\nb2,b\nЗК1,c\n",
     {{"зк1", "a", std::nullopt, std::nullopt, std::nullopt, std::nullopt},
      {"b2", "b", std::nullopt, std::nullopt, std::nullopt, std::nullopt},
      {"ЗК1", "c", std::nullopt, std::nullopt, std::nullopt, std::nullopt}},
     {"Wrote 3 student(s)",
      "line 4, column 1 (StBook): the record-book number \"ЗК1\" is on line 2 already (letter "
      "case aside); only the student on line 2 can sign in"}},
    // As Excel saves a list whose record-book column it holds as numbers, under a title.
    {"ExcelTitleAndDamagedNumbers",
     cp1251("Список группы ПДД-24/1;;\r\n;;\r\n№ зачетки;ФИО;Группа\r\n00123;Иванов ;ПДД-24/1\r\n"
            "00124;Петров;ПДД-24/1\r\n125;Сидоров;ПДД-24/1\r\n00126;Ёлкин;ПДД-24/1\r\n"
            "2024.0;Кузнецов;ПДД-24/1\r\n"),
     {{"00123", "Иванов", std::nullopt, "ПДД-24/1", std::nullopt, std::nullopt},
      {"00124", "Петров", std::nullopt, "ПДД-24/1", std::nullopt, std::nullopt},
      {"125", "Сидоров", std::nullopt, "ПДД-24/1", std::nullopt, std::nullopt},
      {"00126", "Ёлкин", std::nullopt, "ПДД-24/1", std::nullopt, std::nullopt},
      {"2024.0", "Кузнецов", std::nullopt, "ПДД-24/1", std::nullopt, std::nullopt}},
     {"Wrote 5 student(s)", "Passed over: columns: 0, lines: 2.",
      "line 1: \"Список группы ПДД-24/1\" above the header, passed over",
      "line 2: an empty line above the header, passed over",
      "line 4, column 2 (StName): blanks around the name \"Иванов \" removed",
      "line 6, column 1 (StBook): the record-book number \"125\" is shorter than most (5 digits)",
      "line 8, column 1 (StBook): the record-book number \"2024.0\" ends in a decimal zero",
      "\n2 student(s) may not be able to sign in with the number on their card.\n"}},
};

void PrintTo(const Sheet& c, std::ostream* os) {
    *os << c.name;
}

class ToolReadsSheet : public testing::TestWithParam<Sheet> {};

TEST_P(ToolReadsSheet, WritesEveryStudentAndReportsIt) {
    TempDir dir;
    writeFile(dir / "list.csv", GetParam().bytes);
    const std::string out = (dir / "db.mdb").string();
    const ProcessResult r = tool({"students", (dir / "list.csv").string(), out});
    ASSERT_TRUE(r.finished && r.exitCode == 0) << r.err;
    EXPECT_EQ(r.err, "");
    jetwriter::Table expected = classlist::studentsTable();
    expected.rows = GetParam().rows;
    EXPECT_EQ(mdbTool("mdb-export", {out, "Students"}), expectedMdbExport(expected));
    for (const std::string& part : GetParam().report)
        EXPECT_NE(r.out.find(part), std::string::npos) << part << "\nin:\n" << r.out;
}

INSTANTIATE_TEST_SUITE_P(Tool, ToolReadsSheet, testing::ValuesIn(kSheets),
                         [](const auto& info) { return std::string(info.param.name); });

// The report in Russian keeps the facts: what was written, how it was read, what to check,
// with the counts in the forms Russian gives them.
TEST(ToolStudents, ReportInRussian) {
    const struct {
        std::string list;
        std::vector<std::string> parts;
    } cases[] = {
        {kSheets[0].bytes + cp1251("ЗК-1;Дубль;3;1А\r\n"),
         {"записано 3 курсанта", "кодировка CP1251 (кириллица Windows)",
          "разделитель — точка с запятой",
          "\nв списке нет StCount, GrCount; значения оставлены пустыми\n",
          "строка 4, столбец 1 (StBook): номер зачетки «ЗК-1» уже есть в строке 2",
          "\n1 курсант не сможет войти: строка 4 (Дубль).\n"}},
        {cp1251("№ зачетки;ФИО\r\n1;А\r\n"), {"записан 1 курсант"}},
        {kSheets[6].bytes,
         {"записано 5 курсантов", "Пропущено: столбцов — 0, строк — 2.",
          "строка 1: «Список группы ПДД-24/1» над заголовком, пропущена",
          "строка 6, столбец 1 (StBook): номер зачетки «125» короче большинства "
          "(у большинства цифр: 5)",
          "\n2 курсанта, возможно, не смогут войти"}},
    };
    for (const auto& c : cases) {
        TempDir dir;
        writeFile(dir / "list.csv", c.list);
        const ProcessResult r = tool(
            {"students", (dir / "list.csv").string(), (dir / "db.mdb").string()}, "ru_RU.UTF-8");
        ASSERT_TRUE(r.finished && r.exitCode == 0) << r.err;
        for (const std::string& part : c.parts)
            EXPECT_NE(r.out.find(part), std::string::npos) << part << "\nin:\n" << r.out;
        // One kind of quotes in a report: the lists hold none of their own.
        EXPECT_EQ(r.out.find('"'), std::string::npos) << r.out;
    }
}

// A database made from the reference class list shows in mdbtools exactly as the reference
// database, written by another Jet writer, does.
TEST(ToolStudents, ReferenceListReadsAsTheReferenceDatabase) {
    TempDir dir;
    writeFile(dir / "list.csv", dataFile("students_small.csv"));
    const std::string out = (dir / "dbtrener.mdb").string();
    const ProcessResult r = tool({"students", (dir / "list.csv").string(), out});
    ASSERT_TRUE(r.finished && r.exitCode == 0) << r.err;
    EXPECT_EQ(r.err, "");

    EXPECT_EQ(mdbTool("mdb-ver", {out}), "JET4\n");
    EXPECT_EQ(mdbTool("mdb-tables", {"-1", out}), dataFile("students_small.mdb-tables.txt"));
    EXPECT_EQ(mdbTool("mdb-schema", {out}), dataFile("students_small.mdb-schema.sql"));
    EXPECT_EQ(mdbTool("mdb-export", {out, "Students"}), dataFile("students_small.mdb-export.csv"));
}

// SOURCE_DATE_EPOCH fixes the creation time: the same list gives the same bytes, which lets a
// station's set-up tell that nothing changed. The time stored is the one given.
TEST(ToolStudents, SourceDateEpochMakesTheSameFile) {
    TempDir dir;
    writeFile(dir / "list.csv", dataFile("students_small.csv"));
    std::string bytes[2];
    for (int i = 0; i < 2; ++i) {
        const std::string out = (dir / ("db" + std::to_string(i) + ".mdb")).string();
        const ProcessResult r = runProcess(
            "env", {"SOURCE_DATE_EPOCH=1700000000", "TZ=UTC", jetwriterTool(), "students",
                    (dir / "list.csv").string(), out});
        ASSERT_TRUE(r.finished && r.exitCode == 0) << r.err;
        bytes[i] = readFile(out);
    }
    EXPECT_EQ(bytes[0], bytes[1]);
    const ProcessResult other = runProcess(
        "env", {"SOURCE_DATE_EPOCH=1600000000", "TZ=UTC", jetwriterTool(), "students",
                (dir / "list.csv").string(), (dir / "db2.mdb").string()});
    ASSERT_TRUE(other.finished && other.exitCode == 0) << other.err;
    EXPECT_NE(readFile(dir / "db2.mdb"), bytes[0]);
}

TEST(ToolStudents, NullsAndEmptyTextsStayApart) {
    TempDir dir;
    writeFile(dir / "list.csv", dataFile("students_nulls.csv"));
    const std::string out = (dir / "db.mdb").string();
    const ProcessResult r = tool({"students", (dir / "list.csv").string(), out});
    ASSERT_TRUE(r.finished && r.exitCode == 0) << r.err;

    EXPECT_EQ(mdbTool("mdb-export", {out, "Students"}), dataFile("students_nulls.mdb-export.csv"));
    const QJsonObject read = readWithMdbReader(out);
    const QJsonArray rows = read["data"]["Students"]["rows"].toArray();
    const QJsonArray expected =
        expectedJsonRows(classlist::readStudentsCsv(dataFile("students_nulls.csv")));
    EXPECT_EQ(rows, expected);
    ASSERT_EQ(rows.size(), 3);
    EXPECT_EQ(rows[2][1], QJsonValue(""));    // N3's name: empty text
    EXPECT_EQ(rows[0][1], QJsonValue::Null);  // N1's name: Null
}

// A whole school's list: every row comes back, in order, from both readers.
TEST(ToolStudents, HundredThousandRowsReadBack) {
    TempDir dir;
    std::string csv = "\xEF\xBB\xBF" + kHeader;
    for (int i = 0; i < 100000; ++i) {
        char line[256];
        std::snprintf(line, sizeof line,
                      "\"ЗК-%06d\",\"Кузнецова Алёна %d\",%d,Группа %d,%d,%s\r\n", i, i, i % 25 + 1,
                      i / 25 + 1, i % 50 - 25, i % 9 ? "25" : "");
        csv += line;
    }
    writeFile(dir / "list.csv", csv);
    const std::string out = (dir / "db.mdb").string();
    const ProcessResult r = tool({"students", (dir / "list.csv").string(), out});
    ASSERT_TRUE(r.finished && r.exitCode == 0) << r.err;

    const jetwriter::Table expected = classlist::readStudentsCsv(csv);
    EXPECT_EQ(mdbTool("mdb-count", {out, "Students"}), "100000\n");
    EXPECT_EQ(mdbTool("mdb-export", {out, "Students"}), expectedMdbExport(expected));
    const QJsonObject read = readWithMdbReader(out);
    EXPECT_EQ(read["data"]["Students"]["rows"].toArray(), expectedJsonRows(expected));
}

struct BadList {
    const char* name;
    std::string csv;
    const char* where;    // "line L, column C (Name)" as the message must give it
    const char* whereRu;  // the same in Russian
    const char* toDo;     // part of what to do, in English
};

const BadList kBadLists[] = {
    {"NoRecordBookColumn", "Фамилия;Имя\n", "line 1: there is no column StBook",
     "строка 1: нет столбца StBook",
     "one of the titles StBook, Номер зачетки, Номер зачетной книжки"},
    {"MissingField", kHeader + "1,2,3,4,5,6\n1,2,3,4,5\n", "line 3, column 6 (GrCount)",
     "строка 3, столбец 6 (GrCount)", "check the separators on this line"},
    {"UnterminatedQuote", kHeader + "1,\"2,3,4,5,6\n", "line 2, column 2 (StName)",
     "строка 2, столбец 2 (StName)", "add it after the text"},
    {"CountNotANumber", kHeader + "1,2,3,4,пять,6\n", "line 2, column 5 (StCount)",
     "строка 2, столбец 5 (StCount)", "write digits only, or leave it empty"},
    {"CountOutOfRange", kHeader + "1,2,3,4,5,4294967296\n", "line 2, column 6 (GrCount)",
     "строка 2, столбец 6 (GrCount)", "outside the range"},
    {"TextTooLong", "StNum;StName;StBook\n" + std::string(51, '7') + ";2;3\n",
     "line 2, column 1 (StNum)", "строка 2, столбец 1 (StNum)", "shorten it"},
    {"NotUtf8AfterByteOrderMark", "\xEF\xBB\xBF" + kHeader + "1,2,3,\xC3\x28,5,6\n",
     "line 2, column 4 (GrNum)", "строка 2, столбец 4 (GrNum)", "save the file as UTF-8 again"},
};

void PrintTo(const BadList& c, std::ostream* os) {
    *os << c.name;
}

class ToolRefusesList : public testing::TestWithParam<BadList> {};

TEST_P(ToolRefusesList, NamesLineAndColumnAndWritesNothing) {
    TempDir dir;
    writeFile(dir / "list.csv", GetParam().csv);
    for (const bool oldFile : {false, true}) {
        if (oldFile) writeFile(dir / "db.mdb", "old database");
        const ProcessResult r =
            tool({"students", (dir / "list.csv").string(), (dir / "db.mdb").string()});
        ASSERT_TRUE(r.finished);
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_NE(r.err.find(GetParam().where), std::string::npos) << r.err;
        EXPECT_NE(r.err.find(GetParam().toDo), std::string::npos) << r.err;
        EXPECT_NE(r.err.find("nothing written"), std::string::npos) << r.err;
        EXPECT_EQ(r.out, "");
        if (oldFile)
            EXPECT_EQ(readFile(dir / "db.mdb"), "old database");
        else
            EXPECT_FALSE(fs::exists(dir / "db.mdb"));
        EXPECT_EQ(entries(dir.path()), oldFile ? 2u : 1u);
    }
    const ProcessResult ru =
        tool({"students", (dir / "list.csv").string(), (dir / "db.mdb").string()}, "ru_RU.UTF-8");
    EXPECT_EQ(ru.exitCode, 1);
    EXPECT_NE(ru.err.find(GetParam().whereRu), std::string::npos) << ru.err;
    EXPECT_NE(ru.err.find("ничего не записано"), std::string::npos) << ru.err;
}

INSTANTIATE_TEST_SUITE_P(Tool, ToolRefusesList, testing::ValuesIn(kBadLists),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ToolStudents, UnreadableListOrUnwritablePlaceFails) {
    TempDir dir;
    writeFile(dir / "list.csv", dataFile("students_small.csv"));
    fs::create_directory(dir / "folder");

    // Under a Russian locale every word of the message is Russian, the system's too.
    struct Case {
        std::string csv, out, message, russian;
    } cases[] = {
        {(dir / "none.csv").string(), (dir / "a.mdb").string(), "cannot open",
         "нет такого файла или папки"},
        {(dir / "folder").string(), (dir / "a.mdb").string(), "it is a folder", "это папка"},
        {"/dev/zero", (dir / "a.mdb").string(), "larger than 256 MiB", "больше 256 МиБ"},
        {(dir / "list.csv").string(), (dir / "no" / "a.mdb").string(), "cannot create",
         "не удалось создать файл рядом с «" + (dir / "no" / "a.mdb").string() +
             "»: нет такого файла или папки"},
        {(dir / "list.csv").string(), (dir / "folder").string(), "cannot put the new file",
         "не удалось поставить новый файл на место «" + (dir / "folder").string() + "»"},
        {(dir / "list.csv").string(), (dir / "folder").string() + "/",
         "the name ends in a slash and names a folder", "имя оканчивается косой чертой"},
        {(dir / "list.csv").string(), (dir / "list.csv").string(), "would replace the class list",
         "заменила бы список группы"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        const ProcessResult r = tool({"students", c.csv, c.out});
        ASSERT_TRUE(r.finished);
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
        const ProcessResult ru = tool({"students", c.csv, c.out}, "ru_RU.UTF-8");
        EXPECT_EQ(ru.exitCode, 1);
        EXPECT_NE(ru.err.find(c.russian), std::string::npos) << ru.err;
        const std::string withoutPaths =
            std::regex_replace(ru.err, std::regex("«[^»]*»|rulevion-jetwriter"), "");
        EXPECT_FALSE(std::regex_search(withoutPaths, std::regex("[A-Za-z]{3}"))) << ru.err;
    }
    EXPECT_EQ(readFile(dir / "list.csv"), dataFile("students_small.csv"));
    EXPECT_EQ(entries(dir.path()), 2u);
    EXPECT_EQ(entries(dir / "folder"), 0u);
}

struct PasswordCase {
    const char* n;
    std::string bytes;  // the file, or empty when the number is refused
};

std::string le(std::initializer_list<int> list) {
    std::string out;
    for (int b : list) out.push_back(static_cast<char>(b));
    return out;
}

struct Refusal {
    std::string n;
    const char* why;  // part of the message
};

// The trainer's field takes digits only, up to 199 of them; the stored number must be one that
// typing can give.
const PasswordCase kPasswords[] = {
    {"0", le({0x3E, 0x89, 0, 0, 0, 0, 0, 0})},
    {"12345", le({0x3E, 0x89, 0, 0, 0x39, 0x30, 0, 0})},
    {"2147483647", le({0x3E, 0x89, 0, 0, 0xFF, 0xFF, 0xFF, 0x7F})},
    {"0012", le({0x3E, 0x89, 0, 0, 12, 0, 0, 0})},
};

const Refusal kRefusals[] = {
    {"-1", "digits only"},
    {"-2147483648", "digits only"},
    {"+7", "digits only"},
    {" 1", "digits only"},
    {"12x", "digits only"},
    {"0x10", "digits only"},
    {"١٢", "digits only"},
    {"", "the password is empty"},
    {"2147483648", "larger than 2147483647"},
    {std::string(200, '1'), "more than 199 digits"},
};

TEST(ToolPassword, WritesWhatTheFieldCanTake) {
    std::vector<PasswordCase> cases(std::begin(kPasswords), std::end(kPasswords));
    cases.push_back({nullptr, le({0x3E, 0x89, 0, 0, 7, 0, 0, 0})});  // 199 digits still fit
    const std::string longest = std::string(198, '0') + "7";
    for (const PasswordCase& c : cases) {
        TempDir dir;
        const fs::path out = dir / "vdmdat01.bin";
        writeFile(out, "old");
        const std::string n = c.n ? c.n : longest;
        const ProcessResult r = tool({"password", n, out.string()});
        ASSERT_TRUE(r.finished);
        EXPECT_EQ(r.exitCode, 0) << n << ": " << r.err;
        EXPECT_EQ(readFile(out), c.bytes) << n;
        EXPECT_NE(r.out.find("Wrote the trainer password file"), std::string::npos) << r.out;
        EXPECT_EQ(entries(dir.path()), 1u);
    }
}

TEST(ToolPassword, RefusesWhatTheFieldCannotTake) {
    for (const Refusal& c : kRefusals) {
        TempDir dir;
        const fs::path out = dir / "vdmdat01.bin";
        writeFile(out, "old");
        const ProcessResult r = tool({"password", c.n, out.string()});
        ASSERT_TRUE(r.finished);
        EXPECT_EQ(r.exitCode, 1) << c.n;
        EXPECT_NE(r.err.find(c.why), std::string::npos) << c.n << ": " << r.err;
        EXPECT_NE(r.err.find("nothing written"), std::string::npos) << r.err;
        EXPECT_EQ(readFile(out), "old") << c.n;
        EXPECT_EQ(entries(dir.path()), 1u);
    }
    const ProcessResult ru = tool({"password", "-1234", "x.bin"}, "ru_RU.UTF-8");
    EXPECT_EQ(ru.exitCode, 1);
    EXPECT_NE(ru.err.find("поле пароля принимает только цифры"), std::string::npos) << ru.err;
}

TEST(ToolUsage, HelpAndWrongUse) {
    const ProcessResult help = tool({"--help"});
    ASSERT_TRUE(help.finished);
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_NE(help.out.find("rulevion-jetwriter students LIST OUT.mdb"), std::string::npos);
    EXPECT_NE(help.out.find("rulevion-jetwriter password N OUT.bin"), std::string::npos);
    EXPECT_NE(help.out.find("Also: \"Номер зачетки\""), std::string::npos) << help.out;
    const ProcessResult ru = tool({"--help"}, "ru_RU.UTF-8");
    EXPECT_NE(ru.out.find("Использование:"), std::string::npos) << ru.out;

    const std::vector<std::vector<std::string>> wrong = {
        {}, {"pupils", "a", "b"}, {"students", "a.csv"}, {"password", "1", "a", "b"}};
    for (const auto& args : wrong) {
        const ProcessResult r = tool(args);
        ASSERT_TRUE(r.finished);
        EXPECT_EQ(r.exitCode, 2);
        EXPECT_NE(r.err.find("Usage:"), std::string::npos);
    }
}

// --help and --version anywhere answer and touch nothing; an unknown option is wrong usage
// before anything is read or written.
TEST(ToolUsage, OptionsLeaveTheFolderUntouched) {
    TempDir dir;
    writeFile(dir / "list.csv", dataFile("students_small.csv"));
    writeFile(dir / "dbtrener.mdb", "old database");
    const struct {
        std::vector<std::string> args;
        int status;
        const char* out;
        const char* err;
    } cases[] = {
        {{"--help"}, 0, "Usage:", ""},
        {{"-h"}, 0, "Usage:", ""},
        {{"--version"}, 0, "rulevion-jetwriter 1.", ""},
        {{"students", "list.csv", "dbtrener.mdb", "--help"}, 0, "Usage:", ""},
        {{"password", "1", "vdmdat01.bin", "--version"}, 0, "rulevion-jetwriter 1.", ""},
        {{"--force"}, 2, "", "unknown option \"--force\""},
        {{"students", "list.csv", "dbtrener.mdb", "-v"}, 2, "", "unknown option \"-v\""},
        {{"password", "1", "--out"}, 2, "", "unknown option \"--out\""},
    };
    for (const auto& c : cases) {
        const ProcessResult r = tool(c.args, "C", dir.path().string());
        ASSERT_TRUE(r.finished);
        EXPECT_EQ(r.exitCode, c.status) << c.args[0] << r.err;
        if (c.status == 0) {
            EXPECT_EQ(r.out.rfind(c.out, 0), 0u) << r.out;
            EXPECT_EQ(r.err, "");
        } else {
            EXPECT_EQ(r.out, "");
            EXPECT_NE(r.err.find(c.err), std::string::npos) << r.err;
        }
        EXPECT_EQ(entries(dir.path()), 2u);
        EXPECT_EQ(readFile(dir / "dbtrener.mdb"), "old database");
        EXPECT_EQ(readFile(dir / "list.csv"), dataFile("students_small.csv"));
    }
}

}  // namespace
