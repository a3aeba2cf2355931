// The reader against databases written by an independent Jet writer: every value as stored, in
// table order, through the operations the sign-in uses.
#include "JetTestSupport.h"

#include "Cp1251.h"
#include "EncryptedFiles.h"
#include "ErrorText.h"
#include "HelperChannel.h"
#include "TempDir.h"

#include <gtest/gtest.h>

using jet::Error;
using jettest::OpenStudents;
using jettest::StudentRow;

namespace {

struct FixtureCase {
    const char* mdb;
    const char* csv;
};

void PrintTo(const FixtureCase& c, std::ostream* os) {
    *os << c.mdb;
}

class FixtureRead : public ::testing::TestWithParam<FixtureCase> {};

TEST_P(FixtureRead, ReadsEveryRowAsTheCsvSays) {
    const FixtureCase c = GetParam();
    const std::vector<StudentRow> expected =
        jettest::readCsv(jettest::dataFile(std::string("jet/") + c.csv));
    OpenStudents s(jettest::dataFile(std::string("jet/") + c.mdb));
    ASSERT_TRUE(s.db.isOpen());
    ASSERT_TRUE(s.table.isOpen());
    ASSERT_TRUE(s.records.isOpen());
    EXPECT_EQ(s.records.recordCount(), static_cast<std::int32_t>(expected.size()));
    const std::vector<StudentRow> rows = jettest::readAllRows(s.records);
    ASSERT_EQ(rows.size(), expected.size());
    for (std::size_t i = 0; i < rows.size(); ++i)
        EXPECT_EQ(rows[i], expected[i]) << "row " << i << ": " << jettest::utf8(rows[i].StBook)
                                        << " / " << jettest::utf8(rows[i].StName);
    EXPECT_TRUE(s.records.isEof());
    EXPECT_FALSE(s.records.isBof());
}

INSTANTIATE_TEST_SUITE_P(Fixtures, FixtureRead,
                         ::testing::Values(FixtureCase{"students_small.mdb", "students_small.csv"},
                                           FixtureCase{"students_v2003.mdb", "students_small.csv"},
                                           FixtureCase{"students_v2007.accdb",
                                                       "students_small.csv"},
                                           FixtureCase{"students_nulls.mdb", "students_nulls.csv"},
                                           FixtureCase{"students_big.mdb", "students_big.csv"}),
                         [](const auto& info) {
                             std::string n = info.param.mdb;
                             return n.substr(0, n.find('.'));
                         });

TEST(Reader, KindsFollowTheColumns) {
    OpenStudents s(jettest::dataFile("jet/students_small.mdb"));
    s.records.moveFirst();
    s.records.moveNext();
    s.records.moveNext();  // "ab12", StCount -5
    const jet::FieldValue book = s.records.value("StBook");
    EXPECT_EQ(book.kind, jet::FieldValue::Kind::Text);
    EXPECT_EQ(book.text, "ab12");
    const jet::FieldValue count = s.records.value("StCount");
    EXPECT_EQ(count.kind, jet::FieldValue::Kind::Long);
    EXPECT_EQ(count.number, -5);
    // Column names are matched as the engine does, ignoring case.
    EXPECT_EQ(s.records.value("stcount").number, -5);
    EXPECT_EQ(s.records.value("GRNUM").text, cp1251::fromUtf8("Вечерняя"));
}

// The sign-in's pattern: one column over every row, then the rest of one row. The rest is read
// back from where the scan, already batches ahead, found that row.
TEST(Reader, ScanThenReadTheMatchedRow) {
    const std::vector<StudentRow> expected =
        jettest::readCsv(jettest::dataFile("jet/students_big.csv"));
    OpenStudents s(jettest::dataFile("jet/students_big.mdb"));
    ASSERT_EQ(s.records.recordCount(), 20000);
    for (const int target : {0, 4095, 4096, 12345, 19999}) {
        s.records.moveFirst();
        for (int i = 0; i < target; ++i) {
            ASSERT_EQ(s.records.value("StBook").text, expected[i].StBook) << i;
            s.records.moveNext();
        }
        ASSERT_FALSE(s.records.isEof());
        StudentRow r;
        r.StBook = s.records.value("StBook").text;
        r.StName = s.records.value("StName").text;
        r.StNum = s.records.value("StNum").text;
        r.GrNum = s.records.value("GrNum").text;
        r.StCount = s.records.value("StCount").number;
        r.GrCount = s.records.value("GrCount").number;
        EXPECT_EQ(r, expected[target]) << "row " << target;
        // The scan goes on from there as if nothing had been read in between.
        if (target + 1 < 20000) {
            s.records.moveNext();
            EXPECT_EQ(s.records.value("StBook").text, expected[target + 1].StBook);
        }
    }
}

// The sign-in's search done by the reader: it stops on the first match from the current row on,
// ignoring letter case, with that row's values read as a scan would; without a match it stops
// on the last row, whose number was compared last.
TEST(Reader, FindNextStopsWhereAScanWould) {
    const std::vector<StudentRow> expected =
        jettest::readCsv(jettest::dataFile("jet/students_big.csv"));
    OpenStudents s(jettest::dataFile("jet/students_big.mdb"));
    for (const int target : {0, 4095, 4096, 19999}) {
        s.records.moveFirst();
        std::string typed = expected[target].StBook;
        for (char& ch : typed) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
        ASSERT_TRUE(s.records.findNext("StBook", typed)) << target;
        EXPECT_EQ(s.records.value("StBook").text, expected[target].StBook);
        EXPECT_EQ(s.records.value("StName").text, expected[target].StName) << target;
        EXPECT_EQ(s.records.value("GrCount").number, expected[target].GrCount) << target;
        EXPECT_FALSE(s.records.isEof());
    }
    // From the current row on: a number before it is not found again.
    s.records.moveFirst();
    s.records.moveNext();
    EXPECT_FALSE(s.records.findNext("StBook", expected[0].StBook));
    EXPECT_EQ(s.records.value("StBook").text, expected.back().StBook);
    EXPECT_FALSE(s.records.isEof());
    s.records.moveNext();
    EXPECT_TRUE(s.records.isEof());
    EXPECT_THROW(s.records.findNext("StBook", "x"), Error);
    // A part of a number, or a number with more after it, is another number.
    s.records.moveFirst();
    EXPECT_FALSE(s.records.findNext("StBook", expected[5].StBook.substr(1)));
    s.records.moveFirst();
    EXPECT_FALSE(s.records.findNext("StBook", expected[5].StBook + "0"));
    s.records.moveFirst();
    EXPECT_THROW(s.records.findNext("StCount", "1"), Error);  // not a Text column
}

TEST(Reader, EmptyTableIsBothEofAndBof) {
    OpenStudents s(jettest::dataFile("jet/students_empty.mdb"));
    EXPECT_EQ(s.records.recordCount(), 0);
    s.records.moveFirst();
    EXPECT_TRUE(s.records.isEof());
    EXPECT_TRUE(s.records.isBof());
    try {
        s.records.value("StBook");
        FAIL() << "a value without a current record";
    } catch (const Error& e) {
        EXPECT_EQ(e.code(), Error::Code::NoCurrentRecord);
    }
}

TEST(Reader, MoveNextPastEofHasNoCurrentRecord) {
    OpenStudents s(jettest::dataFile("jet/students_small.mdb"));
    s.records.moveFirst();
    for (int i = 0; i < 5; ++i) {
        EXPECT_FALSE(s.records.isEof());
        s.records.moveNext();
    }
    EXPECT_TRUE(s.records.isEof());
    EXPECT_FALSE(s.records.isBof());
    EXPECT_THROW(s.records.moveNext(), Error);
    EXPECT_THROW(s.records.value("StBook"), Error);
}

TEST(Reader, MissingTableFailsAtTheTableDefinition) {
    jet::Database db(jettest::realHelper());
    db.open(jettest::dataFile("jet/no_students_table.mdb").string());
    jet::TableDef table(db);
    try {
        table.open("Students");
        FAIL() << "no table Students in this file";
    } catch (const Error& e) {
        EXPECT_EQ(e.code(), Error::Code::TableNotFound);
        EXPECT_NE(e.description().find("Students"), std::string::npos);
        EXPECT_EQ(e.description().rfind(cp1251::fromUtf8("ОШИБКА\n\n"), 0), 0u);
    }
    EXPECT_FALSE(table.isOpen());
    EXPECT_TRUE(db.isOpen());

    // The file's own table reads, through the same operations.
    table.open("groups");
    jet::Recordset records(db);
    records.open(
        table, {{"grnum", jet::FieldValue::Kind::Text}, {"GrCount", jet::FieldValue::Kind::Long}});
    ASSERT_EQ(records.recordCount(), 2);
    records.moveFirst();
    EXPECT_EQ(records.value("GrNum").text, cp1251::fromUtf8("Группа 1"));
    EXPECT_EQ(records.value("GrCount").number, 12);
    records.moveNext();
    EXPECT_EQ(records.value("GrNum").text, cp1251::fromUtf8("Группа 2Б"));
    EXPECT_EQ(records.value("GrCount").number, 10);
    records.moveNext();
    EXPECT_TRUE(records.isEof());
}

// The recordset is refused at its open when a column it is to read is missing or cannot be read
// in the asked form, with a description naming the column (and the kind it has).
TEST(Reader, ColumnsAreCheckedAtTheRecordsetOpen) {
    using K = jet::FieldValue::Kind;
    struct Case {
        jet::ColumnRequest column;
        Error::Code code;
        const char* named;
    };
    const Case cases[] = {
        {{"StPhoto", K::Text}, Error::Code::ColumnNotFound, "\"StPhoto\""},
        {{"StBook", K::Long}, Error::Code::ColumnWrongKind, "\"StBook\""},
        {{"StName", K::Long}, Error::Code::ColumnWrongKind, "Текстовый"},
    };
    for (const Case& c : cases) {
        jet::Database db(jettest::realHelper());
        db.open(jettest::dataFile("jet/students_small.mdb").string());
        jet::TableDef table(db);
        table.open("Students");
        jet::Recordset records(db);
        try {
            records.open(table, {{"StBook", K::Text}, c.column});
            ADD_FAILURE() << c.column.name;
        } catch (const Error& e) {
            EXPECT_EQ(e.code(), c.code) << c.column.name;
            EXPECT_EQ(e.subject(), c.column.name);
            EXPECT_NE(e.description().find(cp1251::fromUtf8(c.named)), std::string::npos)
                << jettest::utf8(e.description());
        }
        EXPECT_FALSE(records.isOpen());
        // A clean refusal: the same helper opens the recordset with the right columns.
        EXPECT_TRUE(db.isOpen());
        records.open(table, signin::studentColumns());
        EXPECT_EQ(records.recordCount(), 5);
    }
}

TEST(Reader, UnknownColumnIsAnError) {
    OpenStudents s(jettest::dataFile("jet/students_small.mdb"));
    s.records.moveFirst();
    try {
        s.records.value("NoSuchColumn");
        FAIL();
    } catch (const Error& e) {
        EXPECT_EQ(e.code(), Error::Code::ColumnNotFound);
    }
    // The recordset is still usable.
    EXPECT_EQ(s.records.value("StBook").text, "12345");
}

TEST(Reader, OperationsOnClosedObjectsThrow) {
    jet::Database db(jettest::realHelper());
    jet::TableDef table(db);
    jet::Recordset records(db);
    EXPECT_FALSE(db.isOpen());
    EXPECT_THROW(table.open("Students"), Error);
    EXPECT_THROW(records.open(table, signin::studentColumns()), Error);
    EXPECT_THROW(records.recordCount(), Error);
    EXPECT_THROW(records.moveFirst(), Error);

    db.open(jettest::dataFile("jet/students_small.mdb").string());
    table.open("Students");
    records.open(table, signin::studentColumns());
    db.close();
    EXPECT_FALSE(db.isOpen());
    EXPECT_THROW(records.value("StBook"), Error);
    EXPECT_TRUE(jettest::noChildren());
}

TEST(Reader, MissingFileCannotBeOpened) {
    jet::Database db(jettest::realHelper());
    try {
        db.open("/nonexistent/dbtrener.mdb");
        FAIL();
    } catch (const Error& e) {
        EXPECT_EQ(e.code(), Error::Code::CannotOpenFile);
    }
    EXPECT_FALSE(db.isOpen());
    EXPECT_TRUE(jettest::noChildren());
}

// Saved with a password in Access: the student sees what any file that is no database shows,
// the helper's output says what to do about it.
TEST(Reader, EncryptedFileIsRefusedAsSuch) {
    TempDir dir;
    const std::string path = (dir / "dbtrener.mdb").string();
    writeFile(path,
              testfiles::officeEncrypted(readFile(jettest::dataFile("jet/students_v2007.accdb"))));

    jet::Database db(jettest::realHelper());
    try {
        db.open(path);
        FAIL() << "opened";
    } catch (const Error& e) {
        EXPECT_EQ(e.code(), Error::Code::Encrypted);
        EXPECT_EQ(e.description(), jet::errorText(Error::Code::NotADatabase));
    }

    jet::HelperChannel channel(jettest::realHelper());
    jet::protocol::Request open;
    open.text = path;
    const jet::protocol::Reply reply = channel.call(open);
    EXPECT_EQ(reply.type, jet::protocol::ReplyType::Failed);
    EXPECT_EQ(reply.failure, jet::protocol::Failure::Encrypted);
    channel.stop();
    EXPECT_NE(channel.output().find("the database is encrypted: save it without a password in "
                                    "Access (File, Info, Decrypt)"),
              std::string::npos)
        << channel.output();
    EXPECT_TRUE(jettest::noChildren());
}

TEST(Reader, ReopeningStartsAFreshHelper) {
    jet::Database db(jettest::realHelper());
    db.open(jettest::dataFile("jet/students_small.mdb").string());
    jet::TableDef table(db);
    table.open("Students");
    db.open(jettest::dataFile("jet/students_nulls.mdb").string());
    jet::Recordset records(db);
    // A table definition of the earlier opening does not carry over.
    EXPECT_THROW(records.open(table, signin::studentColumns()), Error);
    table.open("Students");
    records.open(table, signin::studentColumns());
    EXPECT_EQ(records.recordCount(), 3);
    db.close();
    EXPECT_TRUE(jettest::noChildren());
}

}  // namespace
