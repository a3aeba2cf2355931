#include "Child.h"
#include "HandOff.h"
#include "MessageCatalogue.h"
#include "QtWindowServices.h"
#include "RecordingServices.h"
#include "TempDir.h"

#include <QDialog>
#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>

namespace fs = std::filesystem;
using app::HandOffCode;

namespace {

class HandOffTest : public ::testing::Test {
protected:
    TempDir dir;
    ScopedCwd cwd{dir.path()};
    ui::RecordingServices services;
    QDialog panel;

    std::string handOff() { return readFile(dir / "vdm_out.txt"); }
};

TEST_F(HandOffTest, EachCodeLeavesExactlyOneByteAndEndsThePanel) {
    for (HandOffCode code : {HandOffCode::Leave, HandOffCode::Return, HandOffCode::Trainer,
                             HandOffCode::Driving}) {
        writeFile(dir / "vdm_out.txt", "left by another program\r\n");
        panel.setResult(-1);
        app::handOffAndClose(services, panel, code);
        EXPECT_EQ(handOff(), std::string(1, static_cast<char>(code)));
        EXPECT_EQ(panel.result(), QDialog::Rejected);
    }
    EXPECT_TRUE(services.boxes.empty());
}

TEST_F(HandOffTest, FileThatCannotBeCreatedShowsItsBoxOnThePanelThenEndsFatally) {
    fs::create_directory(dir / "vdm_out.txt");
    EXPECT_THROW(app::handOffAndClose(services, panel, HandOffCode::Driving), ui::ProcessEnded);
    ASSERT_EQ(services.boxes.size(), 1u);
    EXPECT_EQ(services.boxes[0].owner, &panel);
    EXPECT_EQ(services.boxes[0].title, messageText(text::kBoxTitle));
    EXPECT_EQ(services.boxes[0].text, messageText(text::kCannotCreateHandOff));
    EXPECT_EQ(services.boxes[0].type, ui::kBoxError);
    EXPECT_EQ(services.endings, std::vector<int>{0});
    EXPECT_TRUE(fs::is_directory(dir / "vdm_out.txt"));
}

TEST_F(HandOffTest, FailedWriteIsCaughtNotReportedAsHandedOver) {
    fs::create_symlink("/dev/full", dir / "vdm_out.txt");
    panel.setResult(-1);
    EXPECT_THROW(app::handOffAndClose(services, panel, HandOffCode::Trainer), ui::ProcessEnded);
    ASSERT_EQ(services.boxes.size(), 1u);
    EXPECT_EQ(services.boxes[0].text, messageText(text::kCannotCreateHandOff));
    EXPECT_NE(panel.result(), QDialog::Rejected);
}

TEST_F(HandOffTest, ExitCodeWritesZeroAndReturns) {
    writeFile(dir / "vdm_out.txt", "22222");
    app::handOffExitCode(services);
    EXPECT_EQ(handOff(), "0");
    EXPECT_TRUE(services.boxes.empty());
}

TEST_F(HandOffTest, ExitCodeFailuresShowTheirOwnTextsWithNoOwner) {
    struct Case {
        const char* name;
        std::function<void()> arrange;
        int textId;
    } cases[] = {
        {"cannot open", [&] { fs::create_directory(dir / "vdm_out.txt"); },
         text::kCannotOpenHandOff},
        {"cannot write", [&] { fs::create_symlink("/dev/full", dir / "vdm_out.txt"); },
         text::kCannotWriteHandOff},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(dir / "vdm_out.txt");
        services.boxes.clear();
        c.arrange();
        EXPECT_THROW(app::handOffExitCode(services), ui::ProcessEnded);
        ASSERT_EQ(services.boxes.size(), 1u);
        EXPECT_EQ(services.boxes[0].owner, nullptr);
        EXPECT_EQ(services.boxes[0].title, messageText(text::kBoxTitle));
        EXPECT_EQ(services.boxes[0].text, messageText(c.textId));
        EXPECT_EQ(services.boxes[0].type, ui::kBoxError);
    }
}

// The real end of the process: status 0 and "1" in the file, with nothing printed on the way.
// The child of a "fast" death test shares this test's folder.
TEST_F(HandOffTest, FatalExitEndsTheRealProcessWithStatusZero) {
    GTEST_FLAG_SET(death_test_style, "fast");
    writeFile(dir / "vdm_out.txt", "5");
    EXPECT_EXIT(
        {
            ui::QtWindowServices real;
            app::fatalExit(real);
        },
        ::testing::ExitedWithCode(0), "^$");
    EXPECT_EQ(handOff(), "1");
}

TEST_F(HandOffTest, FatalExitIgnoresAFileItCannotWrite) {
    GTEST_FLAG_SET(death_test_style, "fast");
    fs::create_directory(dir / "vdm_out.txt");
    EXPECT_EXIT(
        {
            ui::QtWindowServices real;
            app::fatalExit(real);
        },
        ::testing::ExitedWithCode(0), "^$");
    EXPECT_TRUE(fs::is_directory(dir / "vdm_out.txt"));
}

// In a read-only folder an ordinary user cannot replace the file: the box, the fatal exit, and
// the earlier decision stays as it was.
TEST_F(HandOffTest, ReadOnlyFolderLeavesTheOldFileUnchanged) {
    writeFile(dir / "vdm_out.txt", "2");
    chmod(dir.path().c_str(), 0555);
    chmod((dir / "vdm_out.txt").c_str(), 0444);
    const int rc = runInChild(
        [&] {
            try {
                app::handOffAndClose(services, panel, HandOffCode::Leave);
            } catch (const ui::ProcessEnded& end) {
                const bool shown =
                    services.boxes.size() == 1 &&
                    services.boxes[0].text == messageText(text::kCannotCreateHandOff);
                return shown && end.status == 0 ? 0 : 2;
            }
            return 3;
        },
        true);
    chmod(dir.path().c_str(), 0755);
    EXPECT_EQ(rc, 0);
    EXPECT_EQ(handOff(), "2");
}

}  // namespace
