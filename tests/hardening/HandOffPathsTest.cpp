// Bad files on the other roads out of the program: the trainer's password file, and a hand-off
// file that cannot be written when a panel button or the crash guard hands over. Each row runs
// in a child with a deadline.
#include "CrashGuard.h"
#include "MainPanelDialog.h"
#include "MessageCatalogue.h"
#include "PasswordState.h"
#include "Station.h"
#include "TrainerPasswordDialog.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QTimer>

#include <csignal>
#include <functional>
#include <ostream>
#include <utility>

namespace fs = std::filesystem;

namespace {

// The boxes shown, in turn, named by their texts for the texts these roads use.
std::string boxNames(const ui::RecordingServices& services) {
    const std::pair<TextId, const char*> known[] = {
        {text::kCannotCreateHandOff, "create-hand-off"},
        {text::kCannotOpenPasswordFile, "open-password"},
        {text::kCannotReadPasswordFile, "read-password"},
        {text::kBrokenPasswordFile, "broken-password"},
        {text::kCannotOpenHandOff, "open-hand-off"},
        {text::kCannotWriteHandOff, "write-hand-off"},
    };
    std::string names;
    for (const auto& box : services.boxes) {
        const char* name = "unexpected";
        for (const auto& [id, candidate] : known)
            if (box.text == messageText(id)) name = candidate;
        names += std::string(" ") + name;
    }
    return names;
}

void pipeAt(const fs::path& path) {
    fs::remove(path);
    ASSERT_EQ(mkfifo(path.c_str(), 0666), 0);
}

std::string passwordFile(std::int32_t password, std::size_t length) {
    std::string bytes = std::string("\x3E\x89\x00\x00", 4);
    for (int i = 0; i < 4; ++i)
        bytes += static_cast<char>((static_cast<std::uint32_t>(password) >> (8 * i)) & 0xFF);
    bytes.resize(length, '\x5A');
    return bytes;
}

// ---- the password file ----

struct PasswordRow {
    const char* name;
    std::function<void(const fs::path& folder)> arrange;
    bool unprivileged;
    std::string outcome;                 // "waits <stored password>" or "ended"
    std::string boxes;                   // the boxes shown, by name
    std::optional<std::string> handOff;  // vdm_out.txt afterwards
};

void PrintTo(const PasswordRow& row, std::ostream* os) {
    *os << row.name;
}

class PasswordFiles : public ::testing::TestWithParam<PasswordRow> {};

TEST_P(PasswordFiles, EndInTheirBoxesOrWaitForThePassword) {
    const PasswordRow& row = GetParam();
    Station station;
    if (row.unprivileged) station.openToEveryone();
    row.arrange(station.folder());

    const ChildResult child = runWithDeadline(
        [&] {
            ScopedCwd cwd(station.folder());
            ui::RecordingServices services;
            services.answerOk(2);
            services.onEnd = [&](int) { reportToParent("ended |" + boxNames(services)); };
            trainer::PasswordState state;
            trainer::TrainerPasswordDialog dialog(services, state);
            QTimer::singleShot(0, &dialog, [&] { dialog.reject(); });
            dialog.exec();
            return "waits " + std::to_string(state.storedPassword) + " |" + boxNames(services);
        },
        kChildDeadline, row.unprivileged);
    ASSERT_TRUE(child.finished) << "the dialog hung";
    EXPECT_EQ(child.status, 0) << child.report;
    EXPECT_EQ(child.report, row.outcome + " |" + row.boxes);
    EXPECT_EQ(station.file("vdm_out.txt"), row.handOff);
}

const char* const kPassword = "vdmdat01.bin";

// clang-format off
INSTANTIATE_TEST_SUITE_P(Files, PasswordFiles, ::testing::Values(
    PasswordRow{"a_folder", [](const fs::path& f) { fs::create_directory(f / kPassword); },
                false, "ended", " read-password", "1"},
    PasswordRow{"no_read_permission",
                [](const fs::path& f) {
                    writeFile(f / kPassword, passwordFile(4711, 8));
                    fs::permissions(f / kPassword, fs::perms::none);
                },
                true, "ended", " open-password", "1"},
    PasswordRow{"ten_megabytes_with_the_magic",
                [](const fs::path& f) { writeFile(f / kPassword, passwordFile(4711, 10u << 20)); },
                false, "waits 4711", "", std::nullopt},
    PasswordRow{"endless_link_to_dev_zero",
                [](const fs::path& f) { fs::create_symlink("/dev/zero", f / kPassword); },
                false, "ended", " broken-password", "1"},
    PasswordRow{"named_pipe", [](const fs::path& f) { pipeAt(f / kPassword); },
                false, "ended", " read-password", "1"},
    // The hand-off of "0" fails too: its own box, then the fatal exit, which cannot write either.
    PasswordRow{"missing_and_hand_off_on_a_full_disk",
                [](const fs::path& f) { fs::create_symlink("/dev/full", f / "vdm_out.txt"); },
                false, "ended", " open-password write-hand-off", "-> /dev/full"},
    PasswordRow{"missing_and_hand_off_a_named_pipe",
                [](const fs::path& f) { pipeAt(f / "vdm_out.txt"); },
                false, "ended", " open-password open-hand-off", "<pipe>"},
    PasswordRow{"missing_and_hand_off_read_only",
                [](const fs::path& f) {
                    writeFile(f / "vdm_out.txt", "5");
                    fs::permissions(f / "vdm_out.txt", kReadOnlyFile);
                },
                true, "ended", " open-password open-hand-off", "5"}),
    [](const auto& info) { return std::string(info.param.name); });
// clang-format on

// ---- a leaving button, and the crash guard, with a hand-off file that cannot be written ----

struct HandOffRow {
    const char* name;
    std::function<void(const fs::path& folder)> arrange;
    bool unprivileged;
    std::optional<std::string> handOff;  // vdm_out.txt afterwards, as it was before
};

void PrintTo(const HandOffRow& row, std::ostream* os) {
    *os << row.name;
}

class UnwritableHandOff : public ::testing::TestWithParam<HandOffRow> {};

// The box that tells the user, then the fatal exit with status 0; the old decision stays.
TEST_P(UnwritableHandOff, LeavingButtonShowsItsBoxAndEnds) {
    const HandOffRow& row = GetParam();
    Station station;
    if (row.unprivileged) station.openToEveryone();
    row.arrange(station.folder());
    ui::RecordingServices services;
    SignInState signIn;
    trainer::PasswordState password;
    panel::MainPanelDialog panel(services, signIn, password);

    const ChildResult child = runWithDeadline(
        [&] {
            ScopedCwd cwd(station.folder());
            services.answerOk();
            services.onEnd = [&](int) { reportToParent("ended |" + boxNames(services)); };
            panel.onExit();
            return std::string("the panel went on");
        },
        kChildDeadline, row.unprivileged);
    ASSERT_TRUE(child.finished) << "the hand-off hung";
    EXPECT_EQ(child.status, 0);
    EXPECT_EQ(child.report, "ended | create-hand-off");
    EXPECT_EQ(station.file("vdm_out.txt"), row.handOff);
}

TEST_P(UnwritableHandOff, CrashGuardStillEndsWithStatusZero) {
    const HandOffRow& row = GetParam();
    Station station;
    if (row.unprivileged) station.openToEveryone();
    row.arrange(station.folder());

    const ChildResult child = runWithDeadline(
        [&] {
            if (chdir(station.folder().c_str()) != 0) return std::string("no station");
            const int quiet = open("/dev/null", O_WRONLY);
            dup2(quiet, STDERR_FILENO);
            handoff::installCrashGuard();
            std::raise(SIGSEGV);
            return std::string("the fault went unnoticed");
        },
        kChildDeadline, row.unprivileged);
    ASSERT_TRUE(child.finished) << "the crash guard hung";
    EXPECT_EQ(child.status, 0);
    EXPECT_EQ(station.file("vdm_out.txt"), row.handOff);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Files, UnwritableHandOff, ::testing::Values(
    HandOffRow{"read_only_file",
               [](const fs::path& f) {
                   writeFile(f / "vdm_out.txt", "2");
                   fs::permissions(f / "vdm_out.txt", kReadOnlyFile);
               },
               true, "2"},
    HandOffRow{"named_pipe", [](const fs::path& f) { pipeAt(f / "vdm_out.txt"); }, false,
               "<pipe>"}),
    [](const auto& info) { return std::string(info.param.name); });
// clang-format on

}  // namespace
