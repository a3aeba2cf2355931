#include "Cp1251.h"
#include "SignInRecord.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <climits>
#include <filesystem>

namespace fs = std::filesystem;
using signin::formatSignInRecord;
using signin::SignInRecordFile;

namespace {

SignInState student(std::string name, std::string number, std::string group, std::string typed,
                    std::int32_t stCount, std::int32_t grCount) {
    SignInState s;
    s.StName = cp1251::fromUtf8(name);
    s.StNum = cp1251::fromUtf8(number);
    s.GrNum = cp1251::fromUtf8(group);
    s.recordBookText = cp1251::fromUtf8(typed);
    s.StBook = "not written";
    s.StCount = stCount;
    s.GrCount = grCount;
    return s;
}

TEST(SignInRecordTest, SixLinesEndingInCrLf) {
    struct Case {
        const char* name;
        SignInState state;
        std::string expected;  // UTF-8
    } cases[] = {
        {"ordinary", student("Иванов Иван", "1", "Группа 1", "12345", 3, 12),
         "Иванов Иван\r\n1\r\nГруппа 1\r\n12345\r\n3\r\n12\r\n"},
        {"typed text kept with its blanks", student("Ёлкина", "4", "Б", "  ab12 ", -5, 0),
         "Ёлкина\r\n4\r\nБ\r\n  ab12 \r\n-5\r\n0\r\n"},
        {"empty texts", student("", "", "", "x", 0, 0), "\r\n\r\n\r\nx\r\n0\r\n0\r\n"},
        {"extreme counts", student("a", "b", "c", "d", INT32_MIN, INT32_MAX),
         "a\r\nb\r\nc\r\nd\r\n-2147483648\r\n2147483647\r\n"},
        // A line end inside a text would push every later line down for the exercise programs.
        {"line ends inside texts", student("Иванов\r\nИван", "1\n", "\rГ", "7", 1, 2),
         "Иванов  Иван\r\n1 \r\n Г\r\n7\r\n1\r\n2\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(formatSignInRecord(c.state), cp1251::fromUtf8(c.expected));
    }
}

TEST(SignInRecordTest, WrittenFileHoldsExactlyTheRecord) {
    TempDir dir;
    ScopedCwd cwd(dir.path());
    writeFile(dir / "db1.out", std::string(1000, 'z'));  // a longer record of someone else
    const SignInState s = student("Пётр", "3", "Вечерняя", "AB12", -5, 15);
    SignInRecordFile record;
    ASSERT_TRUE(record.create());
    ASSERT_TRUE(record.write(s));
    ASSERT_TRUE(record.close());
    EXPECT_EQ(readFile(dir / "db1.out"), formatSignInRecord(s));
}

TEST(SignInRecordTest, FullDiskIsSeenBeforeTheCloseAndTheFileCanBeDiscarded) {
    TempDir dir;
    ScopedCwd cwd(dir.path());
    fs::create_symlink("/dev/full", dir / "db1.out");
    SignInRecordFile record;
    ASSERT_TRUE(record.create());
    EXPECT_FALSE(record.write(student("a", "b", "c", "d", 1, 2)));
    record.discard();
    EXPECT_FALSE(fs::exists(fs::symlink_status(dir / "db1.out")));
}

TEST(SignInRecordTest, FolderInTheFilesPlaceCannotBeCreated) {
    TempDir dir;
    ScopedCwd cwd(dir.path());
    fs::create_directory(dir / "db1.out");
    SignInRecordFile record;
    EXPECT_FALSE(record.create());
    EXPECT_FALSE(record.write(student("a", "b", "c", "d", 1, 2)));
    EXPECT_TRUE(fs::is_directory(dir / "db1.out"));
}

}  // namespace
