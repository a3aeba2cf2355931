#include "Child.h"
#include "HandOff.h"
#include "MessageCatalogue.h"
#include "QtWindowServices.h"
#include "RecordingServices.h"
#include "TempDir.h"

#include <gtest/gtest.h>
#include <QDialog>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

namespace fs = std::filesystem;
using handoff::HandOffCode;

namespace {

// The id as the child reports it.
std::string idText(TextId id) {
    return std::to_string(static_cast<int>(id));
}

class HandOffTest : public ::testing::Test {
protected:
    TempDir dir;
    ScopedCwd cwd{dir.path()};
    ui::RecordingServices services;
    QDialog panel;

    std::string handOff() { return readFile(dir / "vdm_out.txt"); }

    // Runs a path that ends the process in a child; its report is "ended" and the ids of the
    // boxes shown, or what happened instead.
    ChildResult endingInChild(const std::function<void()>& path, bool asUnprivileged = false) {
        return runWithDeadline(
            [&] {
                services.onEnd = [&](int) { reportToParent("ended" + shownIds()); };
                path();
                return "returned" + shownIds();
            },
            kChildDeadline, asUnprivileged);
    }
    std::string shownIds() {
        std::string ids;
        for (const auto& box : services.boxes) {
            std::string id = "-1";
            for (TextId candidate :
                 {text::kCannotCreateHandOff, text::kCannotOpenHandOff, text::kCannotWriteHandOff})
                if (box.text == messageText(candidate)) id = idText(candidate);
            ids += " " + id;
        }
        return ids;
    }
};

TEST_F(HandOffTest, EachCodeLeavesExactlyOneByteAndEndsThePanel) {
    for (HandOffCode code :
         {HandOffCode::Leave, HandOffCode::Return, HandOffCode::Trainer, HandOffCode::Driving}) {
        writeFile(dir / "vdm_out.txt", "left by another program\r\n");
        panel.setResult(-1);
        handoff::handOffAndClose(services, panel, code);
        EXPECT_EQ(handOff(), std::string(1, static_cast<char>(code)));
        EXPECT_EQ(panel.result(), QDialog::Rejected);
    }
    EXPECT_TRUE(services.boxes.empty());
}

TEST_F(HandOffTest, FileThatCannotBeCreatedShowsItsBoxOnThePanelThenEndsFatally) {
    fs::create_directory(dir / "vdm_out.txt");
    const ChildResult child = endingInChild([&] {
        services.answerOk();
        services.onBox = [&](const ui::RecordingServices::Box& box) {
            EXPECT_EQ(box.owner, &panel);
            EXPECT_EQ(box.title, messageText(text::kBoxTitle));
            EXPECT_EQ(box.type, ui::kBoxError);
        };
        handoff::handOffAndClose(services, panel, HandOffCode::Driving);
    });
    ASSERT_TRUE(child.finished);
    EXPECT_EQ(child.status, 0);
    EXPECT_EQ(child.report, "ended " + idText(text::kCannotCreateHandOff));
    EXPECT_TRUE(fs::is_directory(dir / "vdm_out.txt"));
}

TEST_F(HandOffTest, FailedWriteIsCaughtNotReportedAsHandedOver) {
    fs::create_symlink("/dev/full", dir / "vdm_out.txt");
    panel.setResult(-1);
    const ChildResult child = endingInChild([&] {
        services.answerOk();
        services.onBox = [&](const ui::RecordingServices::Box&) {
            EXPECT_NE(panel.result(), QDialog::Rejected) << "closed as if handed over";
        };
        handoff::handOffAndClose(services, panel, HandOffCode::Trainer);
    });
    ASSERT_TRUE(child.finished);
    EXPECT_EQ(child.status, 0);
    EXPECT_EQ(child.report, "ended " + idText(text::kCannotCreateHandOff));
}

TEST_F(HandOffTest, ExitCodeWritesZeroAndReturns) {
    writeFile(dir / "vdm_out.txt", "22222");
    handoff::handOffExitCode(services);
    EXPECT_EQ(handOff(), "0");
    EXPECT_TRUE(services.boxes.empty());
}

TEST_F(HandOffTest, ExitCodeFailuresShowTheirOwnTextsWithNoOwner) {
    struct Case {
        const char* name;
        std::function<void()> arrange;
        TextId textId;
    } cases[] = {
        {"cannot open", [&] { fs::create_directory(dir / "vdm_out.txt"); },
         text::kCannotOpenHandOff},
        {"cannot write", [&] { fs::create_symlink("/dev/full", dir / "vdm_out.txt"); },
         text::kCannotWriteHandOff},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(dir / "vdm_out.txt");
        c.arrange();
        const ChildResult child = endingInChild([&] {
            services.answerOk();
            services.onBox = [&](const ui::RecordingServices::Box& box) {
                EXPECT_EQ(box.owner, nullptr);
                EXPECT_EQ(box.title, messageText(text::kBoxTitle));
                EXPECT_EQ(box.type, ui::kBoxError);
            };
            handoff::handOffExitCode(services);
        });
        ASSERT_TRUE(child.finished);
        EXPECT_EQ(child.status, 0);
        EXPECT_EQ(child.report, "ended " + idText(c.textId));
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
            handoff::fatalExit(real);
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
            handoff::fatalExit(real);
        },
        ::testing::ExitedWithCode(0), "^$");
    EXPECT_TRUE(fs::is_directory(dir / "vdm_out.txt"));
}

// Under the station's shell the fatal exit says so on the pipe the shell gave, so that its log
// can tell that "1" from the Return button; a value that names no pipe is passed over.
TEST_F(HandOffTest, FatalExitTellsTheShellOnItsPipeOnly) {
    GTEST_FLAG_SET(death_test_style, "fast");
    int shell[2];
    ASSERT_EQ(pipe2(shell, O_NONBLOCK), 0);
    const int file = open((dir / "not-a-pipe").c_str(), O_RDWR | O_CREAT, 0600);
    ASSERT_GE(file, 0);
    struct Row {
        std::string value;
        std::string told;  // on the shell's pipe
    };
    const Row rows[] = {
        {std::to_string(shell[1]), "f"},
        {std::to_string(file), ""},
        {"2", ""},  // stderr
        {"7x", ""},
        {"", ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.value);
        setenv(shellcontract::kFatalEndVariable, row.value.c_str(), 1);
        EXPECT_EXIT(
            {
                ui::QtWindowServices real;
                handoff::fatalExit(real);
            },
            ::testing::ExitedWithCode(0), "^$");
        unsetenv(shellcontract::kFatalEndVariable);
        char buffer[8];
        const ssize_t n = read(shell[0], buffer, sizeof buffer);
        EXPECT_EQ(std::string(buffer, n > 0 ? n : 0), row.told);
        EXPECT_EQ(handOff(), "1");
    }
    EXPECT_EQ(readFile(dir / "not-a-pipe"), "");
    close(shell[0]);
    close(shell[1]);
    close(file);
}

// In a read-only folder an ordinary user cannot replace the file: the box, the fatal exit, and
// the earlier decision stays as it was.
TEST_F(HandOffTest, ReadOnlyFolderLeavesTheOldFileUnchanged) {
    writeFile(dir / "vdm_out.txt", "2");
    chmod(dir.path().c_str(), 0555);
    chmod((dir / "vdm_out.txt").c_str(), 0444);
    const ChildResult child = endingInChild(
        [&] {
            services.answerOk();
            handoff::handOffAndClose(services, panel, HandOffCode::Leave);
        },
        true);
    chmod(dir.path().c_str(), 0755);
    ASSERT_TRUE(child.finished);
    EXPECT_EQ(child.status, 0);
    EXPECT_EQ(child.report, "ended " + idText(text::kCannotCreateHandOff));
    EXPECT_EQ(handOff(), "2");
}

}  // namespace
