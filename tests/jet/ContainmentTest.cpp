// Damaged databases, among them the files that made libmdb loop, run out of memory or crash: the
// program gets a jet::Error at one definite operation, within the reply time limit, with nothing
// printed to its terminal and no helper process left behind.
#include "JetTestSupport.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>

namespace fs = std::filesystem;
using jet::Error;

namespace {

constexpr std::size_t kPage = 4096;

enum class Stage { OpenDatabase, OpenTable, OpenRecordset, Scan, Nowhere };

const char* stageName(Stage s) {
    switch (s) {
        case Stage::OpenDatabase: return "Database::open";
        case Stage::OpenTable: return "TableDef::open";
        case Stage::OpenRecordset: return "Recordset::open";
        case Stage::Scan: return "the scan";
        case Stage::Nowhere: break;
    }
    return "nowhere";
}

struct Outcome {
    Stage stage = Stage::Nowhere;
    Error::Code code = Error::Code::Other;
    std::string description;
    double seconds = 0;
    std::string stdoutText;
    std::string stderrText;
};

// Runs the sign-in's sequence of operations on the file and notes where the first error came.
Outcome signInOn(const fs::path& file, const jet::Limits& limits) {
    Outcome out;
    ::testing::internal::CaptureStdout();
    ::testing::internal::CaptureStderr();
    const auto t0 = std::chrono::steady_clock::now();
    {
        jet::Database db(limits);
        jet::TableDef table(db);
        jet::Recordset records(db);
        try {
            out.stage = Stage::OpenDatabase;
            db.open(file.string());
            out.stage = Stage::OpenTable;
            table.open("Students");
            out.stage = Stage::OpenRecordset;
            records.open(table, signin::studentColumns());
            out.stage = Stage::Scan;
            jettest::readAllRows(records);
            out.stage = Stage::Nowhere;
        } catch (const Error& e) {
            out.code = e.code();
            out.description = e.description();
        }
    }
    out.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    out.stdoutText = ::testing::internal::GetCapturedStdout();
    out.stderrText = ::testing::internal::GetCapturedStderr();
    return out;
}

void expectContained(const Outcome& o, Stage stage, const jet::Limits& limits) {
    EXPECT_EQ(stageName(o.stage), std::string(stageName(stage)))
        << "error code " << static_cast<int>(o.code) << ": " << jettest::utf8(o.description);
    EXPECT_FALSE(o.description.empty());
    // The limit holds per reply; a damaged file fails in one reply, plus spawning and killing.
    EXPECT_LT(o.seconds, limits.replyTimeoutMs / 1000.0 + 2.0);
    EXPECT_EQ(o.stdoutText, "");
    EXPECT_EQ(o.stderrText, "");
    EXPECT_TRUE(jettest::noChildren());
}

// ---- the reproducers of libmdb's known faults ----

// Sample files without a table Students: ours reads their catalogues and finds none, or refuses
// the file at once (one is not a whole number of pages).
struct KnownFault {
    const char* file;
    Stage stage;
    Error::Code code;
};

void PrintTo(const KnownFault& c, std::ostream* os) {
    *os << c.file;
}

class KnownFaults : public ::testing::TestWithParam<KnownFault> {};

TEST_P(KnownFaults, EndInAnErrorAtOpen) {
    const jet::Limits limits = jettest::realHelper();
    const Outcome o =
        signInOn(jettest::dataFile(std::string("damaged/") + GetParam().file), limits);
    expectContained(o, GetParam().stage, limits);
    EXPECT_EQ(static_cast<int>(o.code), static_cast<int>(GetParam().code));
}

INSTANTIATE_TEST_SUITE_P(
    Reproducers, KnownFaults,
    ::testing::Values(
        KnownFault{"hang_mdb_read_props_loop.mdb", Stage::OpenTable, Error::Code::TableNotFound},
        KnownFault{"oomabort_mdb_read_props_loop.mdb", Stage::OpenDatabase,
                   Error::Code::DamagedData},
        KnownFault{"segv_mdb_read_props_list.mdb", Stage::OpenTable, Error::Code::TableNotFound},
        KnownFault{"segv_mdb_map_find_next_mapsz0.mdb", Stage::OpenDatabase,
                   Error::Code::NotADatabase}),
    [](const auto& info) {
        std::string n = info.param.file;
        return n.substr(0, n.find('.'));
    });

// ---- damage made from good files ----

std::string fixture(const char* name) {
    return readFile(jettest::dataFile(std::string("jet/") + name));
}

// The data pages of the table that owns most of them: in students_big.mdb, table Students.
std::vector<std::size_t> studentDataPages(const std::string& bytes) {
    std::map<std::uint32_t, std::vector<std::size_t>> byOwner;
    for (std::size_t p = 1; (p + 1) * kPage <= bytes.size(); ++p) {
        const auto* page = reinterpret_cast<const unsigned char*>(bytes.data() + p * kPage);
        if (page[0] != 0x01) continue;
        const std::uint32_t owner =
            page[4] | page[5] << 8 | page[6] << 16 | static_cast<std::uint32_t>(page[7]) << 24;
        byOwner[owner].push_back(p);
    }
    std::vector<std::size_t> best;
    for (auto& [owner, pages] : byOwner)
        if (pages.size() > best.size()) best = pages;
    return best;
}

// students_big.mdb with the row count in the table definition changed: the rows no longer match
// it and must not be handed out as if they did.
std::string withRowCountChanged(int delta) {
    std::string b = fixture("students_big.mdb");
    const std::vector<std::size_t> pages = studentDataPages(b);
    if (pages.empty()) return b;
    const auto* page = reinterpret_cast<const unsigned char*>(b.data() + pages[0] * kPage);
    const std::size_t tdef = page[4] | page[5] << 8 | page[6] << 16;
    const std::size_t at = tdef * kPage + 16;  // Jet4: the row count in the table definition
    std::uint32_t rows = 0;
    for (int i = 0; i < 4; ++i)
        rows |= static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + i])) << (8 * i);
    rows += static_cast<std::uint32_t>(delta);
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<char>((rows >> (8 * i)) & 0xFF);
    return b;
}

struct MadeDamage {
    const char* name;
    std::function<void(const fs::path&)> make;
    Stage stage;
};

const MadeDamage kMadeDamage[] = {
    {"zero_bytes", [](const fs::path& f) { writeFile(f, ""); }, Stage::OpenDatabase},
    {"text_file", [](const fs::path& f) { writeFile(f, "StBook;StName\n12345;Ivanov\n"); },
     Stage::OpenDatabase},
    {"first_page_only",
     [](const fs::path& f) { writeFile(f, fixture("students_small.mdb").substr(0, kPage)); },
     Stage::OpenDatabase},
    {"catalog_page_zeroed",
     [](const fs::path& f) {
         std::string b = fixture("students_small.mdb");
         b.replace(2 * kPage, kPage, kPage, '\0');
         writeFile(f, b);
     },
     Stage::OpenDatabase},
    {"big_file_cut_in_half",
     [](const fs::path& f) {
         const std::string b = fixture("students_big.mdb");
         writeFile(f, b.substr(0, b.size() / 2));
     },
     Stage::OpenRecordset},
    {"zeroed_page_in_table_data",
     [](const fs::path& f) {
         std::string b = fixture("students_big.mdb");
         const std::vector<std::size_t> pages = studentDataPages(b);
         ASSERT_GT(pages.size(), 100u);
         b.replace(pages[pages.size() / 2] * kPage, kPage, kPage, '\0');
         writeFile(f, b);
     },
     Stage::OpenRecordset},
    {"row_count_one_too_high", [](const fs::path& f) { writeFile(f, withRowCountChanged(+1)); },
     Stage::OpenRecordset},
    {"row_count_one_too_low", [](const fs::path& f) { writeFile(f, withRowCountChanged(-1)); },
     Stage::OpenRecordset},
    {"directory", [](const fs::path& f) { fs::create_directory(f); }, Stage::OpenDatabase},
};

void PrintTo(const MadeDamage& c, std::ostream* os) {
    *os << c.name;
}

class MadeDamageTest : public ::testing::TestWithParam<MadeDamage> {};

TEST_P(MadeDamageTest, EndsInAnErrorAtOneOperation) {
    TempDir dir;
    const fs::path file = dir / "dbtrener.mdb";
    GetParam().make(file);
    if (HasFatalFailure()) return;
    const jet::Limits limits = jettest::realHelper();
    expectContained(signInOn(file, limits), GetParam().stage, limits);
}

INSTANTIATE_TEST_SUITE_P(Files, MadeDamageTest, ::testing::ValuesIn(kMadeDamage),
                         [](const auto& info) { return std::string(info.param.name); });

// The helper's limits leave the reader room: a tight one still reads the whole big table.
TEST(Containment, TightMemoryLimitStillReadsTheBigTable) {
    if (!jettest::helperLimitsAddressSpace())
        GTEST_SKIP() << "the sanitizer build's helper runs without an address-space limit";
    jet::Limits limits = jettest::realHelper();
    limits.addressSpaceBytes = 96u << 20;
    jettest::OpenStudents s(jettest::dataFile("jet/students_big.mdb"), limits);
    EXPECT_EQ(jettest::readAllRows(s.records).size(), 20000u);
}

// The program keeps working after a contained failure: the next file reads normally.
TEST(Containment, ProgramGoesOnAfterAFailure) {
    const jet::Limits limits = jettest::realHelper();
    signInOn(jettest::dataFile("damaged/segv_mdb_read_props_list.mdb"), limits);
    jettest::OpenStudents s(jettest::dataFile("jet/students_small.mdb"), limits);
    EXPECT_EQ(s.records.recordCount(), 5);
}

}  // namespace
