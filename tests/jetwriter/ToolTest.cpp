// rulevion-jetwriter as a technician or a school runs it.
#include <gtest/gtest.h>
#include <QJsonArray>

#include <chrono>
#include <cstdio>
#include <filesystem>

#include "Readers.h"
#include "StudentsCsv.h"
#include "TempDir.h"

namespace fs = std::filesystem;

namespace {

const std::string kHeader = "StBook,StName,StNum,GrNum,StCount,GrCount\n";

std::size_t entries(const fs::path& dir) {
    return static_cast<std::size_t>(
        std::distance(fs::directory_iterator(dir), fs::directory_iterator()));
}

ProcessResult tool(const std::vector<std::string>& args) {
    return runProcess(jetwriterTool(), args);
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
        expectedJsonRows(jetwriter::readStudentsCsv(dataFile("students_nulls.csv")));
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

    const jetwriter::Table expected = jetwriter::readStudentsCsv(csv);
    EXPECT_EQ(mdbTool("mdb-count", {out, "Students"}), "100000\n");
    EXPECT_EQ(mdbTool("mdb-export", {out, "Students"}), expectedMdbExport(expected));
    const QJsonObject read = readWithMdbReader(out);
    EXPECT_EQ(read["data"]["Students"]["rows"].toArray(), expectedJsonRows(expected));
}

struct BadList {
    const char* name;
    std::string csv;
    const char* where;  // "line L, column C (Name)" as the message must give it
};

const BadList kBadLists[] = {
    {"WrongHeader", "StBook;StName;StNum;GrNum;StCount;GrCount\n", "line 1, column 1 (StBook)"},
    {"MissingField", kHeader + "1,2,3,4,5,6\n1,2,3,4,5\n", "line 3, column 6 (GrCount)"},
    {"UnterminatedQuote", kHeader + "1,\"2,3,4,5,6\n", "line 2, column 2 (StName)"},
    {"CountNotANumber", kHeader + "1,2,3,4,пять,6\n", "line 2, column 5 (StCount)"},
    {"CountOutOfRange", kHeader + "1,2,3,4,5,4294967296\n", "line 2, column 6 (GrCount)"},
    {"TextTooLong", kHeader + "1,2," + std::string(51, '7') + ",4,5,6\n",
     "line 2, column 3 (StNum)"},
    {"NotUtf8", kHeader + "1,2,3,\xC3\x28,5,6\n", "line 2, column 4 (GrNum)"},
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
        EXPECT_NE(r.err.find("nothing written"), std::string::npos) << r.err;
        EXPECT_EQ(r.out, "");
        if (oldFile)
            EXPECT_EQ(readFile(dir / "db.mdb"), "old database");
        else
            EXPECT_FALSE(fs::exists(dir / "db.mdb"));
        EXPECT_EQ(entries(dir.path()), oldFile ? 2u : 1u);
    }
}

INSTANTIATE_TEST_SUITE_P(Tool, ToolRefusesList, testing::ValuesIn(kBadLists),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ToolStudents, UnreadableListOrUnwritablePlaceFails) {
    TempDir dir;
    writeFile(dir / "list.csv", dataFile("students_small.csv"));
    fs::create_directory(dir / "folder");

    struct Case {
        std::string csv, out, message;
    } cases[] = {
        {(dir / "none.csv").string(), (dir / "a.mdb").string(), "cannot open"},
        {(dir / "folder").string(), (dir / "a.mdb").string(), "it is a folder"},
        {"/dev/zero", (dir / "a.mdb").string(), "larger than 256 MiB"},
        {(dir / "list.csv").string(), (dir / "no" / "a.mdb").string(), "cannot create"},
        {(dir / "list.csv").string(), (dir / "folder").string(), "cannot put the new file"},
        {(dir / "list.csv").string(), (dir / "list.csv").string(), "would replace the class list"},
    };
    for (const Case& c : cases) {
        const ProcessResult r = tool({"students", c.csv, c.out});
        ASSERT_TRUE(r.finished);
        EXPECT_EQ(r.exitCode, 1) << c.message;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
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

const PasswordCase kPasswords[] = {
    {"0", le({0x3E, 0x89, 0, 0, 0, 0, 0, 0})},
    {"12345", le({0x3E, 0x89, 0, 0, 0x39, 0x30, 0, 0})},
    {"-1", le({0x3E, 0x89, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF})},
    {"2147483647", le({0x3E, 0x89, 0, 0, 0xFF, 0xFF, 0xFF, 0x7F})},
    {"-2147483648", le({0x3E, 0x89, 0, 0, 0, 0, 0, 0x80})},
    {"+7", le({0x3E, 0x89, 0, 0, 7, 0, 0, 0})},
    {"2147483648", ""},
    {"-2147483649", ""},
    {"12x", ""},
    {" 1", ""},
    {"", ""},
    {"0x10", ""},
};

TEST(ToolPassword, WritesMagicAndNumberOrRefuses) {
    for (const PasswordCase& c : kPasswords) {
        TempDir dir;
        const fs::path out = dir / "vdmdat01.bin";
        writeFile(out, "old");
        const ProcessResult r = tool({"password", c.n, out.string()});
        ASSERT_TRUE(r.finished);
        if (c.bytes.empty()) {
            EXPECT_EQ(r.exitCode, 1) << c.n;
            EXPECT_NE(r.err.find("whole number from -2147483648 to 2147483647"), std::string::npos);
            EXPECT_EQ(readFile(out), "old") << c.n;
        } else {
            EXPECT_EQ(r.exitCode, 0) << c.n << ": " << r.err;
            EXPECT_EQ(readFile(out), c.bytes) << c.n;
        }
        EXPECT_EQ(entries(dir.path()), 1u);
    }
}

TEST(ToolUsage, HelpAndWrongUse) {
    const ProcessResult help = tool({"--help"});
    ASSERT_TRUE(help.finished);
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_NE(help.out.find("rulevion-jetwriter students CSV OUT.mdb"), std::string::npos);
    EXPECT_NE(help.out.find("rulevion-jetwriter password N OUT.bin"), std::string::npos);

    const std::vector<std::vector<std::string>> wrong = {
        {}, {"pupils", "a", "b"}, {"students", "a.csv"}, {"password", "1", "a", "b"}};
    for (const auto& args : wrong) {
        const ProcessResult r = tool(args);
        ASSERT_TRUE(r.finished);
        EXPECT_EQ(r.exitCode, 2);
        EXPECT_NE(r.err.find("Usage:"), std::string::npos);
    }
}

}  // namespace
