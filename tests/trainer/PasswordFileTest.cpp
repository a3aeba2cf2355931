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
#include <utility>

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

// What the technician's tool writes is what the trainer reads back, for the extremes the field
// can hold too; the bytes are written out so that a change of the magic shows.
TEST(PasswordFileWrite, WritesTheMagicThenThePasswordAndReadsBack) {
    const std::pair<std::int32_t, std::string> cases[] = {
        {0, std::string("\x3E\x89\0\0\0\0\0\0", 8)},
        {4711, std::string("\x3E\x89\0\0\x67\x12\0\0", 8)},
        {INT32_MAX, std::string("\x3E\x89\0\0\xFF\xFF\xFF\x7F", 8)},
        {-1, std::string("\x3E\x89\0\0\xFF\xFF\xFF\xFF", 8)},
    };
    for (const auto& [password, bytes] : cases) {
        SCOPED_TRACE(password);
        const std::string written = trainer::passwordFileBytes(password);
        EXPECT_EQ(written, bytes);
        const trainer::PasswordRecord record = trainer::parsePasswordFile(written);
        EXPECT_EQ(record.status, PasswordFileStatus::Ok);
        EXPECT_EQ(record.password, password);
    }
}

// One file in the station folder against what the dialog makes of it. kAccepted: the file is
// accepted and the dialog waits for the password.
constexpr TextId kAccepted{-1};

struct FileCase {
    const char* name;
    std::optional<std::string> bytes;  // none: no file at all
    TextId messageId;
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

    if (c.messageId == kAccepted) {
        const int result = runDialog(services, state, [&](trainer::TrainerPasswordDialog& dialog) {
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
        trainer::TrainerPasswordDialog dialog(services, state);
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
            EXPECT_EQ(services.boxes[0].title, messageText(text::kBoxTitle));
            EXPECT_EQ(services.boxes[0].text, messageText(c.messageId));
            EXPECT_EQ(services.boxes[0].type, ui::kBoxError);
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
        FileCase{"missing", std::nullopt, text::kCannotOpenPasswordFile, false},
        FileCase{"empty", std::string(), text::kCannotReadPasswordFile, true},
        FileCase{"one_byte", kMagicBytes.substr(0, 1), text::kCannotReadPasswordFile, true},
        FileCase{"two_bytes", kMagicBytes.substr(0, 2), text::kCannotReadPasswordFile, true},
        FileCase{"three_bytes", kMagicBytes.substr(0, 3), text::kCannotReadPasswordFile, true},
        FileCase{"four_bytes", kMagicBytes, text::kCannotReadPasswordFile, true},
        FileCase{"five_bytes", kMagicBytes + "\x01", text::kCannotReadPasswordFile, true},
        FileCase{"six_bytes", kMagicBytes + "\x01\x02", text::kCannotReadPasswordFile, true},
        FileCase{"seven_bytes", kMagicBytes + "\x01\x02\x03", text::kCannotReadPasswordFile, true},
        FileCase{"seven_bytes_wrong_magic", std::string("\0\0\x89\x3E\1\2\3", 7),
                 text::kCannotReadPasswordFile, true},
        FileCase{"swapped_magic", passwordFileBytes(kSwappedMagic, 4711), text::kBrokenPasswordFile,
                 false},
        FileCase{"zero_magic_twelve_bytes", passwordFileBytes(0, 4711, "abcd"),
                 text::kBrokenPasswordFile, false},
        FileCase{"eight_bytes", passwordFileBytes(kMagic, 4711), kAccepted, false},
        FileCase{"twelve_bytes", passwordFileBytes(kMagic, 4711, std::string("\x3E\x89\0\0", 4)),
                 kAccepted, false}),
    [](const ::testing::TestParamInfo<FileCase>& info) { return std::string(info.param.name); });

// The hand-off file cannot be written either: the file's message, then the hand-off's own,
// and still the fatal exit.
TEST_F(TrainerTest, FailureWithAnUnwritableHandOffShowsBothMessagesInTurn) {
    fs::create_directory(dir / "vdm_out.txt");
    const ChildResult child = runWithDeadline([&] {
        trainer::TrainerPasswordDialog dialog(services, state);
        services.answerOk(2);
        services.onEnd = [&](int) {
            ASSERT_EQ(services.boxes.size(), 2u);
            EXPECT_EQ(services.boxes[0].text, messageText(text::kCannotOpenPasswordFile));
            EXPECT_EQ(services.boxes[0].owner, &dialog);
            EXPECT_EQ(services.boxes[1].text, messageText(text::kCannotOpenHandOff));
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

const std::pair<TextId, const char*> kBoxNames[] = {
    {text::kCannotOpenPasswordFile, "cannot-open"},
    {text::kCannotReadPasswordFile, "cannot-read"},
    {text::kBrokenPasswordFile, "broken"},
    {text::kCannotOpenHandOff, "hand-off-cannot-open"},
    {text::kCannotWriteHandOff, "hand-off-cannot-write"},
};

// The real window system's end of the process; boxes are answered at once and named on stderr.
class AnsweringServices : public ui::QtWindowServices {
public:
    int messageBox(QWidget* owner, const std::string& text, const std::string&,
                   ui::BoxType type) override {
        const char* name = "unexpected";
        for (const auto& [id, candidate] : kBoxNames)
            if (text == messageText(id)) name = candidate;
        const char* kind = type == ui::kBoxError ? "error" : "other";
        std::fprintf(stderr, "box %s owner=%s type=%s\n", name, owner ? "dialog" : "none", kind);
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
        {"missing", std::nullopt, "^box cannot-open owner=dialog type=error\n$"},
        {"swapped magic", passwordFileBytes(kSwappedMagic, 1),
         "^box broken owner=dialog type=error\n$"},
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
                trainer::TrainerPasswordDialog dialog(real, state);
                dialog.exec();
                std::fprintf(stderr, "returned\n");
            },
            ::testing::ExitedWithCode(0), c.box);
        EXPECT_EQ(readFile(dir / "vdm_out.txt"), "1");
    }
}

}  // namespace
