#include "MonitorFile.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>

using signin::MonitorReading;
using signin::readMonitorBytes;

namespace {

std::string chars(std::size_t n) {
    return std::string(n, 'x');
}

// How lines are cut by the 80-byte read buffer, and how CR LF counts in it.
TEST(MonitorFileTest, LinesAreCutAsTheStationsTextModeReadsCutThem) {
    struct Case {
        const char* name;
        std::string bytes;
        MonitorReading expected;
    } cases[] = {
        {"LF lines", "a\nb\n1\n", MonitorReading::DriveC},
        {"CR LF lines", "a\r\nb\r\n0\r\n", MonitorReading::DriveD},
        {"last line without line end", "a\nb\n1", MonitorReading::DriveC},
        {"rest of the third line ignored", "a\nb\n0abc\nmore\n", MonitorReading::DriveD},
        {"fourth line never read", "a\nb\n1\n\xff\xfe garbage", MonitorReading::DriveC},
        {"empty file", "", MonitorReading::CannotRead},
        {"one line", "a\n", MonitorReading::CannotRead},
        {"two lines", "a\r\nb\r\n", MonitorReading::CannotRead},
        {"empty third line", "a\nb\n\n1\n", MonitorReading::WrongStructure},
        {"blank before the digit", "a\nb\n 1\n", MonitorReading::WrongStructure},
        {"other digit", "a\nb\n2\n", MonitorReading::WrongStructure},
        {"empty lines count", "\n\n1\n", MonitorReading::DriveC},
        // 79 characters fill one read; the line end then makes a read of its own.
        {"79 characters then LF", chars(79) + "\nb\n1\n", MonitorReading::WrongStructure},
        {"78 characters then LF", chars(78) + "\nb\n1\n", MonitorReading::DriveC},
        // CR LF arrives as one character, so it fits where a lone LF fits.
        {"78 characters then CR LF", chars(78) + "\r\nb\r\n1\r\n", MonitorReading::DriveC},
        {"79 characters then CR LF", chars(79) + "\r\nb\r\n1\r\n", MonitorReading::WrongStructure},
        {"100 characters, a word, 1", chars(100) + "\nword\n1\n", MonitorReading::WrongStructure},
        {"100 characters then the digit", chars(100) + "\n1\n0\n", MonitorReading::DriveC},
        {"158 characters take two reads", chars(158) + "1\n", MonitorReading::DriveC},
        // A CR that is not followed by LF is an ordinary character.
        {"lone CR", "a\rb\n1\n0\n", MonitorReading::DriveD},
        {"CR LF split by the limit", chars(78) + "\r\r\n1\n0\n", MonitorReading::DriveC},
        {"NUL starts the third line",
         std::string("a\nb\n\0"
                     "1\n",
                     7),
         MonitorReading::WrongStructure},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(readMonitorBytes(c.bytes), c.expected);
    }
}

TEST(MonitorFileTest, FileIsReadFromTheCurrentFolder) {
    TempDir dir;
    ScopedCwd cwd(dir.path());
    EXPECT_EQ(signin::readMonitorFile(), MonitorReading::CannotOpen);
    writeFile(dir / "__monitor.txt", "1\r\n2\r\n0\r\n");
    EXPECT_EQ(signin::readMonitorFile(), MonitorReading::DriveD);
    // The whole of a long file is not needed: three reads look at the first few hundred bytes.
    writeFile(dir / "__monitor.txt", "a\nb\n1\n" + std::string(1 << 20, 'z'));
    EXPECT_EQ(signin::readMonitorFile(), MonitorReading::DriveC);
    writeFile(dir / "__monitor.txt", chars(78) + "\r\n" + chars(78) + "\r\n1");
    EXPECT_EQ(signin::readMonitorFile(), MonitorReading::DriveC);
}

}  // namespace
