// The station's log file: lines with their time, kept small by rotation.
#include <gtest/gtest.h>

#include "StationLog.h"
#include "TempDir.h"

#include <filesystem>
#include <string>

namespace fs = std::filesystem;

namespace {

TEST(StationLogFile, WritesLinesAndRotatesPastItsSize) {
    TempDir dir;
    const fs::path file = dir / "state" / "rulevion" / "station.log";
    station::LogFile log(QString::fromStdString(file.string()));

    ASSERT_TRUE(log.append(QStringLiteral("первая строка")));  // makes the folders
    const std::string first = readFile(file);
    EXPECT_EQ(first.back(), '\n');
    EXPECT_NE(first.find("] первая строка\n"), std::string::npos) << first;

    // A full file becomes the older one, replacing what was there.
    writeFile(file.string() + ".1", "oldest\n");
    writeFile(file, std::string(station::LogFile::kRotateBytes, 'x') + "\n");
    ASSERT_TRUE(log.append(QStringLiteral("after rotation")));
    EXPECT_EQ(fs::file_size(file.string() + ".1"), station::LogFile::kRotateBytes + 1);
    const std::string current = readFile(file);
    EXPECT_NE(current.find("after rotation"), std::string::npos);
    EXPECT_LT(current.size(), 200u);
    EXPECT_EQ(log.readAll().toStdString(), readFile(file.string() + ".1") + current);
}

TEST(StationLogFile, ReportsAFileItCannotWrite) {
    TempDir dir;
    writeFile(dir / "state", "a file where the folder should be");
    station::LogFile log(QString::fromStdString((dir / "state" / "station.log").string()));
    EXPECT_FALSE(log.append(QStringLiteral("lost")));
    EXPECT_TRUE(log.readAll().isEmpty());
}

}  // namespace
