#include "Child.h"
#include "HandOff.h"
#include "MessageCatalogue.h"
#include "PasswordFile.h"
#include "QtWindowServices.h"
#include "TrainerFixture.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <unistd.h>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <ostream>

namespace fs = std::filesystem;
using trainer::PasswordFileStatus;

namespace {

constexpr std::uint32_t kMagic = trainer::kPasswordMagic;
constexpr std::uint32_t kSwappedMagic = 0x3E890000;  // bytes 00 00 89 3E

// Whether this process holds the password file open, as the kernel sees it.
bool passwordFileOpen() {
    const fs::path target = fs::current_path() / trainer::kPasswordFile;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator("/proc/self/fd", ec)) {
        std::error_code linkError;
        if (fs::read_symlink(entry.path(), linkError) == target) return true;
    }
    return false;
}

struct ParseCase {
    const char* name;
    std::string bytes;
    PasswordFileStatus status;
    std::int32_t password;
};

TEST(PasswordFileParse, DecodesOnlyCompleteFilesWithTheMagic) {
    const std::string magic = passwordFileBytes(kMagic, 0).substr(0, 4);
    const ParseCase cases[] = {
        {"empty", "", PasswordFileStatus::NoMagic, 0},
        {"3 bytes", magic.substr(0, 3), PasswordFileStatus::NoMagic, 0},
        {"magic only", magic, PasswordFileStatus::NoPassword, 0},
        {"7 bytes, wrong magic", std::string("\0\0\x89\x3E\1\2\3", 7),
         PasswordFileStatus::NoPassword, 0},
        {"8 bytes", passwordFileBytes(kMagic, 4711), PasswordFileStatus::Ok, 4711},
        {"tail ignored", passwordFileBytes(kMagic, 4711, "\xFF\xFF\x00junk"),
         PasswordFileStatus::Ok, 4711},
        {"negative", passwordFileBytes(kMagic, -1), PasswordFileStatus::Ok, -1},
        {"lowest", passwordFileBytes(kMagic, INT32_MIN), PasswordFileStatus::Ok, INT32_MIN},
        {"highest", passwordFileBytes(kMagic, INT32_MAX), PasswordFileStatus::Ok, INT32_MAX},
        {"swapped magic", passwordFileBytes(kSwappedMagic, 4711), PasswordFileStatus::WrongMagic,
         0},
        {"magic in the high half", passwordFileBytes(kMagic | 0x10000, 4711),
         PasswordFileStatus::WrongMagic, 0},
    };
    for (const ParseCase& c : cases) {
        SCOPED_TRACE(c.name);
        const trainer::PasswordRecord record = trainer::parsePasswordFile(c.bytes);
        EXPECT_EQ(record.status, c.status);
        if (c.status == PasswordFileStatus::Ok) {
            EXPECT_EQ(record.password, c.password);
        }
    }
}

// One file in the station folder against what the dialog makes of it. Id 0: the file is
// accepted and the dialog waits for the password.
struct FileCase {
    const char* name;
    std::optional<std::string> bytes;  // none: no file at all
    int messageId;
    bool openAtBox;  // the failure's box comes while the file is still open
};

void PrintTo(const FileCase& c, std::ostream* os) {
    *os << c.name;
}

class PasswordFileDialogTest : public TrainerTest,
                               public ::testing::WithParamInterface<FileCase> {};

TEST_P(PasswordFileDialogTest, FailureEndsTheRunWithReturnAcceptedFileWaitsForInput) {
    const FileCase& c = GetParam();
    if (c.bytes) writeFile(dir / trainer::kPasswordFile, *c.bytes);
    writeFile(dir / "vdm_out.txt", "5");
    state.typedPassword = "left over";
    state.storedPassword = 99;

    if (c.messageId == 0) {
        const int result = runDialog(services, state, [&](TrainerPasswordDialog& dialog) {
            EXPECT_EQ(state.typedPassword, "");
            QTest::keyClicks(dialog.findChild<QLineEdit*>("passwordEdit"), "4711");
            QTest::mouseClick(dialog.findChild<QPushButton*>("okButton"), Qt::LeftButton);
        });
        EXPECT_EQ(result, QDialog::Accepted);
        EXPECT_EQ(state.storedPassword, 4711);
        EXPECT_TRUE(services.boxes.empty());
        EXPECT_EQ(readFile(dir / "vdm_out.txt"), "5");
        return;
    }

    // The fatal exit ends the process: the dialog runs in a child, which checks what it can
    // see only from inside at its end.
    const ChildResult child = runWithDeadline([&] {
        TrainerPasswordDialog dialog(services, state);
        dialog.createWinId();
        services.answerOk();
        services.onBox = [&](const ui::RecordingServices::Box&) {
            EXPECT_FALSE(dialog.isVisible()) << "input could be taken before the file was read";
            EXPECT_EQ(readFile(dir / "vdm_out.txt"), "5") << "handed over before the box";
            EXPECT_EQ(passwordFileOpen(), c.openAtBox);
            EXPECT_EQ(state.storedPassword, 0);
            EXPECT_EQ(state.typedPassword, "");
        };
        services.onEnd = [&](int) {
            ASSERT_EQ(services.boxes.size(), 1u);
            EXPECT_EQ(services.boxes[0].owner, &dialog);
            EXPECT_EQ(services.boxes[0].title, messageText(0));
            EXPECT_EQ(services.boxes[0].text, messageText(c.messageId));
            EXPECT_EQ(services.boxes[0].type, 0x30u);
            EXPECT_FALSE(passwordFileOpen());
            EXPECT_FALSE(dialog.isVisible());
            EXPECT_FALSE(dialog.testAttribute(Qt::WA_WState_Created))
                << "the window outlived the run";
            reportToParent("ended");
        };
        dialog.exec();
        return std::string("the dialog returned");
    });
    ASSERT_TRUE(child.finished) << "the dialog hung";
    EXPECT_EQ(child.status, 0);
    EXPECT_EQ(child.report, "ended");
    EXPECT_EQ(readFile(dir / "vdm_out.txt"), "1");
}

const std::string kMagicBytes = passwordFileBytes(kMagic, 0).substr(0, 4);

INSTANTIATE_TEST_SUITE_P(
    Files, PasswordFileDialogTest,
    ::testing::Values(
        FileCase{"missing", std::nullopt, 23, false}, FileCase{"empty", std::string(), 24, true},
        FileCase{"one_byte", kMagicBytes.substr(0, 1), 24, true},
        FileCase{"two_bytes", kMagicBytes.substr(0, 2), 24, true},
        FileCase{"three_bytes", kMagicBytes.substr(0, 3), 24, true},
        FileCase{"four_bytes", kMagicBytes, 24, true},
        FileCase{"five_bytes", kMagicBytes + "\x01", 24, true},
        FileCase{"six_bytes", kMagicBytes + "\x01\x02", 24, true},
        FileCase{"seven_bytes", kMagicBytes + "\x01\x02\x03", 24, true},
        FileCase{"seven_bytes_wrong_magic", std::string("\0\0\x89\x3E\1\2\3", 7), 24, true},
        FileCase{"swapped_magic", passwordFileBytes(kSwappedMagic, 4711), 25, false},
        FileCase{"zero_magic_twelve_bytes", passwordFileBytes(0, 4711, "abcd"), 25, false},
        FileCase{"eight_bytes", passwordFileBytes(kMagic, 4711), 0, false},
        FileCase{"twelve_bytes", passwordFileBytes(kMagic, 4711, std::string("\x3E\x89\0\0", 4)), 0,
                 false}),
    [](const ::testing::TestParamInfo<FileCase>& info) { return std::string(info.param.name); });

// The hand-off file cannot be written either: the file's message, then the hand-off's own,
// and still the fatal exit.
TEST_F(TrainerTest, FailureWithAnUnwritableHandOffShowsBothMessagesInTurn) {
    fs::create_directory(dir / "vdm_out.txt");
    const ChildResult child = runWithDeadline([&] {
        TrainerPasswordDialog dialog(services, state);
        services.answerOk(2);
        services.onEnd = [&](int) {
            ASSERT_EQ(services.boxes.size(), 2u);
            EXPECT_EQ(services.boxes[0].text, messageText(23));
            EXPECT_EQ(services.boxes[0].owner, &dialog);
            EXPECT_EQ(services.boxes[1].text, messageText(31));
            EXPECT_EQ(services.boxes[1].owner, nullptr);
            reportToParent("ended");
        };
        dialog.exec();
        return std::string("the dialog returned");
    });
    ASSERT_TRUE(child.finished) << "the dialog hung";
    EXPECT_EQ(child.status, 0);
    EXPECT_EQ(child.report, "ended");
}

// The real window system's end of the process; boxes are answered at once and named on stderr.
class AnsweringServices : public ui::QtWindowServices {
public:
    int messageBox(QWidget* owner, const std::string& text, const std::string&,
                   unsigned type) override {
        int id = -1;
        for (int candidate : {23, 24, 25, 31, 32})
            if (text == messageText(candidate)) id = candidate;
        std::fprintf(stderr, "box %d owner=%s type=%u\n", id, owner ? "dialog" : "none", type);
        return ui::kAnswerOk;
    }
};

TEST_F(TrainerTest, FailureEndsTheRealProcessWithStatusZeroAndReturn) {
    GTEST_FLAG_SET(death_test_style, "fast");
    const struct {
        const char* name;
        std::optional<std::string> bytes;
        const char* box;
    } cases[] = {
        {"missing", std::nullopt, "^box 23 owner=dialog type=48\n$"},
        {"swapped magic", passwordFileBytes(kSwappedMagic, 1), "^box 25 owner=dialog type=48\n$"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove(dir / trainer::kPasswordFile);
        if (c.bytes) writeFile(dir / trainer::kPasswordFile, *c.bytes);
        writeFile(dir / "vdm_out.txt", "5");
        EXPECT_EXIT(
            {
                alarm(10);  // a run that does not end is a failure, not a hang
                AnsweringServices real;
                TrainerPasswordDialog dialog(real, state);
                dialog.exec();
                std::fprintf(stderr, "returned\n");
            },
            ::testing::ExitedWithCode(0), c.box);
        EXPECT_EQ(readFile(dir / "vdm_out.txt"), "1");
    }
}

}  // namespace
