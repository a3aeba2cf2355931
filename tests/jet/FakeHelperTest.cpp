// The program's side against a helper that hangs, dies or answers nonsense: each ends in a
// jet::Error at the operation where it happened, the helper killed and reaped.
#include "HelperChannel.h"
#include "JetTestSupport.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>

namespace fs = std::filesystem;
using jet::Error;
using Code = jet::Error::Code;

namespace {

// A helper that hangs is given up on after this long; one that answers gets the program's own
// patience, so that a slow start (a sanitizer build on a loaded machine) is no timeout.
constexpr int kTimeoutMs = 400;
constexpr int kAnswerTimeoutMs = 10000;

enum class Stage { OpenDatabase, OpenTable, OpenRecordset, Scan, ReadRow, CloseRecordset, Nowhere };

// The fake helper under the name that tells it how to misbehave.
bool hangs(const std::string& mode) {
    return mode.find("hang") != std::string::npos || mode.find("slow") != std::string::npos;
}

jet::Limits fakeHelper(const TempDir& dir, const std::string& mode) {
    const fs::path link = dir / mode;
    fs::create_symlink(FAKE_HELPER_PATH, link);
    jet::Limits limits;
    limits.helperPath = link.string();
    limits.replyTimeoutMs = hangs(mode) ? kTimeoutMs : kAnswerTimeoutMs;
    return limits;
}

struct Outcome {
    Stage stage = Stage::Nowhere;
    Code code = Code::Other;
    bool dbOpenAfter = false;
    double seconds = 0;
};

// The scan reads StBook row by row (value) or leaves the comparing to the helper (findNext).
Outcome runSignIn(const jet::Limits& limits, bool find = false) {
    Outcome out;
    const auto t0 = std::chrono::steady_clock::now();
    jet::Database db(limits);
    jet::TableDef table(db);
    jet::Recordset records(db);
    try {
        out.stage = Stage::OpenDatabase;
        db.open("/station/dbtrener.mdb");
        out.stage = Stage::OpenTable;
        table.open("Students");
        out.stage = Stage::OpenRecordset;
        records.open(table, signin::studentColumns());
        out.stage = Stage::Scan;
        records.moveFirst();
        if (find)
            EXPECT_TRUE(records.findNext("StBook", "F2.0"));
        else
            records.value("StBook");
        out.stage = Stage::ReadRow;
        records.value("StName");
        out.stage = Stage::CloseRecordset;
        records.close();
        out.stage = Stage::Nowhere;
    } catch (const Error& e) {
        out.code = e.code();
        EXPECT_FALSE(e.description().empty());
    }
    out.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    out.dbOpenAfter = db.isOpen();
    return out;
}

struct FaultCase {
    const char* mode;
    Stage stage;
    Code code;
    bool find = false;
    // How the program logs a helper that ended by itself; nothing is logged otherwise.
    const char* logged = nullptr;
};

constexpr const char* kSegv = "was killed by signal 11 (Segmentation fault)";
constexpr const char* kRefused = "was killed by its sandbox, signal 31 (Bad system call)";

// A failure at close is swallowed: closing must work whatever the helper does.
const FaultCase kFaults[] = {
    {"start-hang", Stage::OpenDatabase, Code::HelperTimedOut},
    {"start-exit", Stage::OpenDatabase, Code::HelperCrashed, false, "exited with status 3"},
    {"start-segv", Stage::OpenDatabase, Code::HelperCrashed, false, kSegv},
    {"open-hang", Stage::OpenDatabase, Code::HelperTimedOut},
    {"open-slow", Stage::OpenDatabase, Code::HelperTimedOut},
    {"open-segv", Stage::OpenDatabase, Code::HelperCrashed, false, kSegv},
    {"open-exit", Stage::OpenDatabase, Code::HelperCrashed, false, "exited with status 3"},
    {"open-oversize", Stage::OpenDatabase, Code::MalformedReply},
    {"open-undecodable", Stage::OpenDatabase, Code::MalformedReply},
    {"open-wrongtype", Stage::OpenDatabase, Code::MalformedReply},
    {"open-extra", Stage::OpenDatabase, Code::MalformedReply},
    {"open-truncated", Stage::OpenDatabase, Code::HelperCrashed, false, "exited with status 0"},
    {"open-truncatedhang", Stage::OpenDatabase, Code::HelperTimedOut},
    {"open-badrequest", Stage::OpenDatabase, Code::MalformedReply},
    {"open-encrypted", Stage::OpenDatabase, Code::Encrypted},
    // A helper that tries what its sandbox forbids is killed, and that is a helper fault.
    {"open-escapeopen", Stage::OpenDatabase, Code::HelperCrashed, false, kRefused},
    {"open-escapeexec", Stage::OpenDatabase, Code::HelperCrashed, false, kRefused},
    // An abort inside the sandbox is logged as an abort, not as a refused call.
    {"open-escapeabort", Stage::OpenDatabase, Code::HelperCrashed, false, "aborted"},
    {"open-escapesocket", Stage::OpenDatabase, Code::HelperCrashed, false, kRefused},
    {"open-closeinput", Stage::OpenTable, Code::HelperCrashed},
    {"table-hang", Stage::OpenTable, Code::HelperTimedOut},
    {"table-segv", Stage::OpenTable, Code::HelperCrashed, false, kSegv},
    {"table-wrongtype", Stage::OpenTable, Code::MalformedReply},
    {"table-damaged", Stage::OpenTable, Code::DamagedData},
    {"recordset-exit", Stage::OpenRecordset, Code::HelperCrashed, false, "exited with status 3"},
    {"recordset-undecodable", Stage::OpenRecordset, Code::MalformedReply},
    {"recordset-nocolumn", Stage::OpenRecordset, Code::ColumnNotFound},
    {"recordset-datecolumn", Stage::OpenRecordset, Code::ColumnWrongKind},
    // Naming a column the recordset did not ask for, or naming one outside a recordset's open.
    {"recordset-strangecolumn", Stage::OpenRecordset, Code::MalformedReply},
    {"table-nocolumn", Stage::OpenTable, Code::MalformedReply},
    {"fetch-datecolumn", Stage::Scan, Code::MalformedReply},
    {"fetch-hang", Stage::Scan, Code::HelperTimedOut},
    {"fetch-segv", Stage::Scan, Code::HelperCrashed, false, kSegv},
    {"fetch-toomany", Stage::Scan, Code::MalformedReply},
    {"fetch-empty", Stage::Scan, Code::MalformedReply},
    {"fetch-wrongkind", Stage::Scan, Code::MalformedReply},
    {"fetch-wrongtype", Stage::Scan, Code::MalformedReply},
    {"fetch-damaged", Stage::Scan, Code::DamagedData},
    {"find-hang", Stage::Scan, Code::HelperTimedOut, true},
    {"find-segv", Stage::Scan, Code::HelperCrashed, true, kSegv},
    {"find-wrongtype", Stage::Scan, Code::MalformedReply, true},
    {"find-beyond", Stage::Scan, Code::MalformedReply, true},
    // A row that does not hold the typed number, by the search's own reply or read back.
    {"find-wrongrow", Stage::Scan, Code::MalformedReply, true},
    {"find-shiftedrow", Stage::Scan, Code::MalformedReply, true},
    {"find-gaveup", Stage::Scan, Code::MalformedReply, true},
    {"find-damaged", Stage::Scan, Code::DamagedData, true},
    {"find-undecodable", Stage::Scan, Code::MalformedReply, true},
    {"close-hang", Stage::Nowhere, Code::Other},
    {"close-segv", Stage::Nowhere, Code::Other, false, kSegv},
};

void PrintTo(const FaultCase& c, std::ostream* os) {
    *os << c.mode;
}

class HelperFaults : public ::testing::TestWithParam<FaultCase> {};

TEST_P(HelperFaults, EndInAnErrorAtTheOperation) {
    const FaultCase c = GetParam();
    TempDir dir;
    ::testing::internal::CaptureStderr();
    const Outcome o = runSignIn(fakeHelper(dir, c.mode), c.find);
    const std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(static_cast<int>(o.stage), static_cast<int>(c.stage));
    EXPECT_EQ(static_cast<int>(o.code), static_cast<int>(c.code));
    // A helper that broke the protocol is gone; a clean failure leaves the database open.
    if (c.code == Code::DamagedData || c.code == Code::ColumnNotFound ||
        c.code == Code::ColumnWrongKind) {
        EXPECT_TRUE(o.dbOpenAfter);
    }
    if (c.code == Code::HelperTimedOut || c.code == Code::HelperCrashed ||
        c.code == Code::MalformedReply) {
        EXPECT_FALSE(o.dbOpenAfter);
    }
    // A hang costs the program no more than its deadline.
    if (hangs(c.mode)) EXPECT_LT(o.seconds, kTimeoutMs / 1000.0 + 1.5);
    if (c.logged)
        EXPECT_EQ(err, std::string(program_invocation_short_name) +
                           ": the database reader helper " + c.logged + "\n");
    else
        EXPECT_EQ(err, "");
    EXPECT_TRUE(jettest::noChildren());
}

INSTANTIATE_TEST_SUITE_P(Fake, HelperFaults, ::testing::ValuesIn(kFaults), [](const auto& info) {
    std::string n = info.param.mode;
    for (char& ch : n)
        if (ch == '-') ch = '_';
    return n;
});

// A search goes on from the current row: a helper's match before it is refused, while the same
// search of a sound helper ends on the last row.
TEST(HelperChannel, SearchFromTheCurrentRowOnly) {
    for (const std::string mode : {"none-none", "find-beforestart"}) {
        TempDir dir;
        jet::Database db(fakeHelper(dir, mode));
        db.open("/station/dbtrener.mdb");
        jet::TableDef table(db);
        table.open("Students");
        jet::Recordset records(db);
        records.open(table, signin::studentColumns());
        records.moveFirst();
        records.moveNext();
        try {
            EXPECT_FALSE(records.findNext("StBook", "F1.0")) << mode;
            EXPECT_EQ(records.value("StBook").text, "F3.0");
            EXPECT_EQ(mode, "none-none");
        } catch (const Error& e) {
            EXPECT_EQ(mode, "find-beforestart");
            EXPECT_EQ(e.code(), Code::MalformedReply);
            EXPECT_FALSE(db.isOpen());
        }
    }
    EXPECT_TRUE(jettest::noChildren());
}

TEST(HelperChannel, MissingHelperFailsTheOpen) {
    TempDir dir;
    writeFile(dir / "not-executable", "#!/bin/sh\n");
    const std::vector<std::string> paths = {"/nonexistent/rulevion-jetread",
                                            (dir / "not-executable").string(), dir.path().string()};
    for (const std::string& path : paths) {
        jet::Limits limits;
        limits.helperPath = path;
        jet::Database db(limits);
        try {
            db.open("/station/dbtrener.mdb");
            ADD_FAILURE() << path;
        } catch (const Error& e) {
            EXPECT_EQ(e.code(), Code::HelperMissing) << path;
        }
        EXPECT_FALSE(db.isOpen());
    }
    EXPECT_TRUE(jettest::noChildren());
}

// Its output is read while it works, so it never blocks on a full pipe; only a few KB are kept,
// and none of it reaches the program's own terminal.
TEST(HelperChannel, OutputIsDrainedAndCapped) {
    TempDir dir;
    ::testing::internal::CaptureStdout();
    ::testing::internal::CaptureStderr();
    {
        jet::Database db(fakeHelper(dir, "any-flood"));
        db.open("/station/dbtrener.mdb");
        jet::TableDef table(db);
        table.open("Students");
        ASSERT_NE(db.channel(), nullptr);
        EXPECT_EQ(db.channel()->output().size(), 4096u);
        EXPECT_GT(db.channel()->outputBytes(), 3u << 20);
    }
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
    EXPECT_TRUE(jettest::noChildren());
}

// The program's own SIGPIPE handling is left as it was found.
TEST(HelperChannel, WriteToADeadHelperLeavesNoSignal) {
    TempDir dir;
    jet::Database db(fakeHelper(dir, "open-closeinput"));
    db.open("/station/dbtrener.mdb");
    jet::TableDef table(db);
    EXPECT_THROW(table.open("Students"), Error);
    sigset_t pending;
    sigpending(&pending);
    EXPECT_EQ(sigismember(&pending, SIGPIPE), 0);
    sigset_t mask;
    pthread_sigmask(SIG_BLOCK, nullptr, &mask);
    EXPECT_EQ(sigismember(&mask, SIGPIPE), 0);
}

}  // namespace
