#include "Cp1251.h"
#include "MessageCatalogue.h"
#include "Process.h"
#include "TempDir.h"
#include "X11Session.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>

namespace fs = std::filesystem;

namespace {

const std::string kPassword1234("\x3E\x89\x00\x00\xD2\x04\x00\x00", 8);

class EndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(x.ok()) << x.problem();
        writeFile(dir / "__monitor.txt", "monitor\r\n1024x768\r\n1\r\n");
        writeFile(dir / "vdmdat01.bin", kPassword1234);
    }

    std::string handOff() {
        return fs::exists(dir / "vdm_out.txt") ? readFile(dir / "vdm_out.txt") : "<none>";
    }

    // The program started in the station folder, with its panel up.
    QString startPanel(ProgramRun& run) {
        EXPECT_TRUE(run.started()) << run.report();
        const QString window = run.waitForPanel();
        EXPECT_FALSE(window.isEmpty()) << "no panel\n" << run.report();
        return window;
    }

    // Waits for the one box (or dialog) the program shows over the panel.
    QString waitForBox(ProgramRun& run, const QString& panel) {
        const QString box = run.waitForWindow({panel});
        EXPECT_FALSE(box.isEmpty()) << "no box over the panel\n" << run.report();
        return box;
    }

    // Clicks the panel's button that reads the catalogue's text `id`, as a user does.
    void press(ProgramRun& run, TextId id) {
        const QString caption = QString::fromStdString(cp1251::toUtf8(messageText(id)));
        const std::optional<Control> button =
            run.waitForControl(QStringLiteral("push button"), caption);
        ASSERT_TRUE(button) << "no button \"" << caption.toStdString() << "\"\n" << run.report();
        run.click(*button);
    }

    void expectEndWith(ProgramRun& run, const std::string& code) {
        ASSERT_TRUE(run.waitForEnd()) << "the program did not end\n" << run.report();
        EXPECT_FALSE(run.crashed()) << run.report();
        EXPECT_EQ(run.exitCode(), 0) << run.report();
        EXPECT_EQ(handOff(), code) << run.report();
    }

    X11Session x;
    TempDir dir;
};

TEST_F(EndToEnd, PanelIsBorderlessAtTheOriginAndEscapeLeaves) {
    writeFile(dir / "vdm_out.txt", "5");
    writeFile(dir / "db1.out", "old student\r\n");
    ProgramRun run(x, dir.path());
    const QString window = startPanel(run);
    ASSERT_FALSE(window.isEmpty());
    EXPECT_FALSE(fs::exists(dir / "db1.out"));

    const QString info = x.tool(QStringLiteral("xwininfo"), {QStringLiteral("-id"), window});
    EXPECT_TRUE(info.contains(QStringLiteral("Absolute upper-left X:  0"))) << info.toStdString();
    EXPECT_TRUE(info.contains(QStringLiteral("Absolute upper-left Y:  0"))) << info.toStdString();
    // Frameless: the window asks the window manager for no decorations.
    const QString hints = x.tool(QStringLiteral("xprop"), {QStringLiteral("-id"), window,
                                                           QStringLiteral("_MOTIF_WM_HINTS")});
    // flags, functions, decorations: the decorations field is in use and asks for none.
    const QStringList fields = hints.section('=', 1).trimmed().split(QStringLiteral(", "));
    ASSERT_GE(fields.size(), 3) << hints.toStdString();
    EXPECT_EQ(fields[0].toUInt(nullptr, 16) & 0x2, 0x2u);
    EXPECT_EQ(fields[2].toUInt(nullptr, 16), 0u);

    run.key(window, QStringLiteral("Escape"));
    expectEndWith(run, "0");
}

TEST_F(EndToEnd, DrivingExercisesWithAnEmptyFieldHandsOverFive) {
    ProgramRun run(x, dir.path());
    const QString window = startPanel(run);
    ASSERT_FALSE(window.isEmpty());
    press(run, text::kDrivingCaption);
    expectEndWith(run, "5");
}

TEST_F(EndToEnd, TrainerWithTheRightPasswordHandsOverTwo) {
    ProgramRun run(x, dir.path());
    const QString window = startPanel(run);
    ASSERT_FALSE(window.isEmpty());
    press(run, text::kTrainerCaption);
    const QString dialog = waitForBox(run, window);
    ASSERT_FALSE(dialog.isEmpty());
    run.type(dialog, QStringLiteral("1234"));
    run.key(dialog, QStringLiteral("Return"));
    expectEndWith(run, "2");
}

// A broken station file ends the run with "1" and status 0 once the user has read the box.
TEST_F(EndToEnd, BrokenPasswordFileEndsWithOneAfterTheBox) {
    writeFile(dir / "vdmdat01.bin", "abc");
    ProgramRun run(x, dir.path());
    const QString window = startPanel(run);
    ASSERT_FALSE(window.isEmpty());
    press(run, text::kTrainerCaption);
    const QString box = waitForBox(run, window);  // the box about the password file
    ASSERT_FALSE(box.isEmpty());
    EXPECT_EQ(handOff(), "<none>") << "handed over before the box was answered";
    run.key(box, QStringLiteral("Return"));
    expectEndWith(run, "1");
}

// A student signs in with Enter, then goes on to the exercises: "5" and his sign-in record.
TEST_F(EndToEnd, StudentSignsInThenDrivesWithHisRecord) {
    const fs::path db = dir / "drives" / "c" / "dat_ulmo" / "as_dbase" / "trener" / "01";
    const std::string classList =
        "StBook,StName,StNum,GrNum,StCount,GrCount\n"
        "\"11111\",\"Первый Студент\",\"1\",\"Группа 1\",0,2\n"
        "\"AB-77\",\"Сидоров Иван\",\"12\",\"Группа 7А\",-3,25\n";
    ASSERT_EQ(writeStudentsDatabase(classList, db / "dbtrener.mdb"), "");

    ProgramRun run(
        x, dir.path(),
        {QStringLiteral("VDM_DRIVES=") + QString::fromStdString((dir / "drives").string())});
    const QString window = startPanel(run);
    ASSERT_FALSE(window.isEmpty());
    run.type(window, QStringLiteral("ab-77"));
    run.key(window, QStringLiteral("Return"));
    // The sign-in is done once its record is complete: six lines.
    const std::string name = "\xD1\xE8\xE4\xEE\xF0\xEE\xE2 \xC8\xE2\xE0\xED";  // CP1251
    const std::string group = "\xC3\xF0\xF3\xEF\xEF\xE0 7\xC0";
    const std::string record = name + "\r\n12\r\n" + group + "\r\nab-77\r\n-3\r\n25\r\n";
    ASSERT_TRUE(
        waitForFile(dir / "db1.out", [&](const std::string& bytes) { return bytes == record; }))
        << "no complete sign-in record\n"
        << run.report();
    press(run, text::kDrivingCaption);
    expectEndWith(run, "5");
    EXPECT_EQ(readFile(dir / "db1.out"), record);
}

// A sign-in on a station with no monitor file: the box, then "1" and status 0.
TEST_F(EndToEnd, SignInWithoutMonitorFileEndsWithOne) {
    fs::remove(dir / "__monitor.txt");
    ProgramRun run(x, dir.path());
    const QString window = startPanel(run);
    ASSERT_FALSE(window.isEmpty());
    run.type(window, QStringLiteral("12345"));
    run.key(window, QStringLiteral("Return"));
    const QString box = waitForBox(run, window);
    ASSERT_FALSE(box.isEmpty());
    EXPECT_EQ(handOff(), "<none>") << "handed over before the box was answered";
    run.key(box, QStringLiteral("Return"));
    expectEndWith(run, "1");
}

}  // namespace
