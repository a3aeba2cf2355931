#include "TempDir.h"
#include "X11Session.h"

#include <QThread>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

namespace fs = std::filesystem;

namespace {

const std::string kPassword1234("\x3E\x89\x00\x00\xD2\x04\x00\x00", 8);

class EndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(x.ok()) << "Xvfb did not start";
        writeFile(dir / "__monitor.txt", "monitor\r\n1024x768\r\n1\r\n");
        writeFile(dir / "vdmdat01.bin", kPassword1234);
    }

    QString xdo(const QStringList& args) { return x.tool(QStringLiteral("xdotool"), args); }
    void focus(const QString& window) {
        xdo({QStringLiteral("windowfocus"), QStringLiteral("--sync"), window});
    }
    void key(const QString& name) { xdo({QStringLiteral("key"), name}); }
    // Clicks at a point of the panel, in the panel's own pixels.
    void clickAt(const QString& window, int px, int py) {
        xdo({QStringLiteral("mousemove"), QStringLiteral("--window"), window, QString::number(px),
             QString::number(py), QStringLiteral("click"), QStringLiteral("1")});
    }
    std::string handOff() {
        return fs::exists(dir / "vdm_out.txt") ? readFile(dir / "vdm_out.txt") : "<none>";
    }

    X11Session x;
    TempDir dir;
};

// Centres of the panel's controls, in pixels.
constexpr int kDrivingX = 173, kDrivingY = 388;
constexpr int kTrainerX = 637, kTrainerY = 29;

TEST_F(EndToEnd, PanelIsBorderlessAtTheOriginAndEscapeLeaves) {
    writeFile(dir / "vdm_out.txt", "5");
    writeFile(dir / "db1.out", "old student\r\n");
    ProgramRun run(x, dir.path());
    const QString window = run.waitForPanel();
    ASSERT_FALSE(window.isEmpty()) << run.errors().toStdString();
    EXPECT_FALSE(fs::exists(dir / "db1.out"));

    const QString info = x.tool(QStringLiteral("xwininfo"), {QStringLiteral("-id"), window});
    EXPECT_TRUE(info.contains(QStringLiteral("Absolute upper-left X:  0"))) << info.toStdString();
    EXPECT_TRUE(info.contains(QStringLiteral("Absolute upper-left Y:  0"))) << info.toStdString();
    EXPECT_TRUE(info.contains(QStringLiteral("Width: 1019"))) << info.toStdString();
    EXPECT_TRUE(info.contains(QStringLiteral("Height: 573"))) << info.toStdString();
    // Frameless: the window asks the window manager for no decorations.
    const QString hints = x.tool(QStringLiteral("xprop"),
                                 {QStringLiteral("-id"), window, QStringLiteral("_MOTIF_WM_HINTS")});
    // flags, functions, decorations: the decorations field is in use and asks for none.
    const QStringList fields = hints.section('=', 1).trimmed().split(QStringLiteral(", "));
    ASSERT_GE(fields.size(), 3) << hints.toStdString();
    EXPECT_EQ(fields[0].toUInt(nullptr, 16) & 0x2, 0x2u);
    EXPECT_EQ(fields[2].toUInt(nullptr, 16), 0u);

    focus(window);
    key(QStringLiteral("Escape"));
    ASSERT_TRUE(run.waitForEnd());
    EXPECT_FALSE(run.crashed());
    EXPECT_EQ(run.exitCode(), 0);
    EXPECT_EQ(handOff(), "0");
}

TEST_F(EndToEnd, DrivingExercisesWithAnEmptyFieldHandsOverFive) {
    ProgramRun run(x, dir.path());
    const QString window = run.waitForPanel();
    ASSERT_FALSE(window.isEmpty());
    clickAt(window, kDrivingX, kDrivingY);
    ASSERT_TRUE(run.waitForEnd());
    EXPECT_EQ(run.exitCode(), 0);
    EXPECT_EQ(handOff(), "5");
}

TEST_F(EndToEnd, TrainerWithTheRightPasswordHandsOverTwo) {
    ProgramRun run(x, dir.path());
    const QString window = run.waitForPanel();
    ASSERT_FALSE(window.isEmpty());
    clickAt(window, kTrainerX, kTrainerY);
    QThread::msleep(700);
    xdo({QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("30"), QStringLiteral("1234")});
    key(QStringLiteral("Return"));
    ASSERT_TRUE(run.waitForEnd());
    EXPECT_EQ(run.exitCode(), 0);
    EXPECT_EQ(handOff(), "2");
}

// A broken station file ends the run with "1" and status 0 once the user has read the box.
TEST_F(EndToEnd, BrokenPasswordFileEndsWithOneAfterTheBox) {
    writeFile(dir / "vdmdat01.bin", "abc");
    ProgramRun run(x, dir.path());
    const QString window = run.waitForPanel();
    ASSERT_FALSE(window.isEmpty());
    clickAt(window, kTrainerX, kTrainerY);
    QThread::msleep(700);
    key(QStringLiteral("Return"));  // the box about the password file
    ASSERT_TRUE(run.waitForEnd());
    EXPECT_FALSE(run.crashed());
    EXPECT_EQ(run.exitCode(), 0);
    EXPECT_EQ(handOff(), "1");
}

// A student signs in with Enter, then goes on to the exercises: "5" and his sign-in record.
TEST_F(EndToEnd, StudentSignsInThenDrivesWithHisRecord) {
    const fs::path db = dir / "drives" / "c" / "dat_ulmo" / "as_dbase" / "trener" / "01";
    fs::create_directories(db);
    writeFile(dir / "class.csv",
              "StBook,StName,StNum,GrNum,StCount,GrCount\n"
              "\"11111\",\"Первый Студент\",\"1\",\"Группа 1\",0,2\n"
              "\"AB-77\",\"Сидоров Иван\",\"12\",\"Группа 7А\",-3,25\n");
    QProcess writer;
    writer.start(QString::fromStdString((programPath().parent_path() / "rulevion-jetwriter").string()),
                 {QStringLiteral("students"), QString::fromStdString((dir / "class.csv").string()),
                  QString::fromStdString((db / "dbtrener.mdb").string())});
    ASSERT_TRUE(writer.waitForFinished(20000));
    ASSERT_EQ(writer.exitCode(), 0) << writer.readAllStandardError().toStdString();

    ProgramRun run(x, dir.path(),
                   {QStringLiteral("VDM_DRIVES=") + QString::fromStdString((dir / "drives").string())});
    const QString window = run.waitForPanel();
    ASSERT_FALSE(window.isEmpty());
    focus(window);
    xdo({QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("30"), QStringLiteral("ab-77")});
    key(QStringLiteral("Return"));
    QThread::msleep(1500);
    clickAt(window, kDrivingX, kDrivingY);
    ASSERT_TRUE(run.waitForEnd());
    EXPECT_EQ(run.exitCode(), 0);
    EXPECT_EQ(handOff(), "5");
    const std::string name = "\xD1\xE8\xE4\xEE\xF0\xEE\xE2 \xC8\xE2\xE0\xED";  // CP1251
    const std::string group = "\xC3\xF0\xF3\xEF\xEF\xE0 7\xC0";
    EXPECT_EQ(readFile(dir / "db1.out"), name + "\r\n12\r\n" + group + "\r\nab-77\r\n-3\r\n25\r\n");
}

// A sign-in on a station with no monitor file: the box, then "1" and status 0.
TEST_F(EndToEnd, SignInWithoutMonitorFileEndsWithOne) {
    fs::remove(dir / "__monitor.txt");
    ProgramRun run(x, dir.path());
    const QString window = run.waitForPanel();
    ASSERT_FALSE(window.isEmpty());
    focus(window);
    xdo({QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("30"), QStringLiteral("12345")});
    key(QStringLiteral("Return"));
    QThread::msleep(1000);
    EXPECT_EQ(handOff(), "<none>");  // the box is still up
    key(QStringLiteral("Return"));
    ASSERT_TRUE(run.waitForEnd());
    EXPECT_FALSE(run.crashed());
    EXPECT_EQ(run.exitCode(), 0);
    EXPECT_EQ(handOff(), "1");
}

}  // namespace
