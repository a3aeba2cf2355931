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

}  // namespace
