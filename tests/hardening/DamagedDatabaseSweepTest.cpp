// Damaged copies of real student databases, made by a fixed recipe (byte flips, cut-off files,
// zeroed pages), each taken through the whole sign-in: whatever the damage, the run ends as a
// sign-in can end (the student found, not found, or the error boxes and the fatal exit), in
// bounded time, and the files the shell and the exercise programs read are whole.
#include "Cp1251.h"
#include "Jet.h"
#include "MessageCatalogue.h"
#include "Station.h"

#include <gtest/gtest.h>
#include <sys/prctl.h>
#include <sys/wait.h>

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <map>
#include <thread>

namespace fs = std::filesystem;
namespace {

constexpr std::size_t kPage = 4096;

// Same numbers on every platform, unlike the distributions of <random>.
class Recipe {
public:
    explicit Recipe(std::uint64_t seed) : state_(seed) {}
    std::uint64_t next() {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    std::size_t below(std::size_t n) { return n == 0 ? 0 : static_cast<std::size_t>(next() % n); }

private:
    std::uint64_t state_;
};

struct Fixture {
    const char* file;
    std::vector<std::string> typed;  // UTF-8 numbers to sign in with, in turn
    int flips, cuts, zeroed;         // how many mutants of each kind
};

struct Original {
    std::string bytes;
    std::vector<std::size_t> structurePages;
};

// Pages where libmdb finds its way (header, table definitions, indexes, usage maps, and the
// first few pages, which hold the catalogue): damage there says more than in row data.
std::vector<std::size_t> structurePages(const std::string& bytes) {
    std::vector<std::size_t> pages;
    for (std::size_t p = 0; (p + 1) * kPage <= bytes.size(); ++p)
        if (p < 16 || bytes[p * kPage] != 0x01) pages.push_back(p);
    return pages;
}

struct Mutant {
    std::string name;
    std::string bytes;
    std::string typed;  // CP1251
};

Mutant flipBytes(const Original& f, Recipe& r, int i) {
    Mutant m{"flip", f.bytes, {}};
    const std::size_t count = 1 + r.below(8);
    const bool structure = i % 2 == 0;
    for (std::size_t k = 0; k < count; ++k) {
        std::size_t at = r.below(f.bytes.size());
        if (structure)
            at = f.structurePages[r.below(f.structurePages.size())] * kPage + r.below(kPage);
        m.bytes[at] = static_cast<char>(m.bytes[at] ^ static_cast<char>(1 + r.below(255)));
        m.name += " @" + std::to_string(at);
    }
    return m;
}

Mutant cutShort(const Original& f, Recipe& r, int i) {
    const std::size_t pages = f.bytes.size() / kPage;
    const std::size_t length = i % 2 == 0 ? r.below(pages) * kPage : r.below(f.bytes.size());
    return {"cut to " + std::to_string(length), f.bytes.substr(0, length), {}};
}

Mutant zeroPages(const Original& f, Recipe& r, int i) {
    Mutant m{"zeroed page", f.bytes, {}};
    const std::size_t count = 1 + r.below(3);
    for (std::size_t k = 0; k < count; ++k) {
        const std::size_t page = i % 2 == 0 ? f.structurePages[r.below(f.structurePages.size())]
                                            : r.below(f.bytes.size() / kPage);
        m.bytes.replace(page * kPage, kPage, kPage, '\0');
        m.name += " " + std::to_string(page);
    }
    return m;
}

std::vector<Mutant> mutantsOf(const Fixture& f, std::uint64_t seed) {
    Original o;
    o.bytes = dataBytes(std::string("jet/") + f.file);
    o.structurePages = structurePages(o.bytes);
    Recipe r(seed);
    std::vector<Mutant> out;
    auto add = [&](Mutant m) {
        m.name = std::string(f.file) + ": " + m.name;
        m.typed = cp1251::fromUtf8(f.typed[out.size() % f.typed.size()]);
        out.push_back(std::move(m));
    };
    for (int i = 0; i < f.flips; ++i) add(flipBytes(o, r, i));
    for (int i = 0; i < f.cuts; ++i) add(cutShort(o, r, i));
    for (int i = 0; i < f.zeroed; ++i) add(zeroPages(o, r, i));
    return out;
}

enum class Outcome { Found, NotFound, CannotOpenDatabase, NoTable, CannotOpenTable, Unexpected };

const char* outcomeName(Outcome o) {
    switch (o) {
        case Outcome::Found: return "student found";
        case Outcome::NotFound: return "not found (slot 115)";
        case Outcome::CannotOpenDatabase: return "fatal: database (engine box, slot 16)";
        case Outcome::NoTable: return "fatal: no table (engine box, slot 114)";
        case Outcome::CannotOpenTable: return "fatal: table (engine box, slot 118)";
        case Outcome::Unexpected: break;
    }
    return "unexpected";
}

// How one sign-in went, judged by what the user saw: "<outcome> <detail>".
std::string judgeSignIn(SignInRun& run) {
    Outcome outcome = Outcome::Unexpected;
    std::string detail;
    const struct {
        Outcome outcome;
        bool ended;
        std::vector<Box> boxes;
    } allowed[] = {
        {Outcome::Found, false, {}},
        {Outcome::NotFound, false, {{115, ""}}},
        {Outcome::CannotOpenDatabase, true, {{0, ""}, {16, kPathC}}},
        {Outcome::NoTable, true, {{0, ""}, {114, ""}}},
        {Outcome::CannotOpenTable, true, {{0, ""}, {118, ""}}},
    };
    const bool ended = run.ended.has_value();
    for (const auto& a : allowed)
        if (a.ended == ended && compareBoxes(run, a.boxes).empty()) outcome = a.outcome;
    if (outcome == Outcome::Unexpected)
        detail = (ended ? "ended, " : "returned, ") + compareBoxes(run, {});
    if (outcome == Outcome::Found && run.view.label != messageText(34)) {
        outcome = Outcome::Unexpected;
        detail = "found, but the panel does not say so";
    }
    if (!ended) run.db.release();  // as the panel's teardown would
    return std::to_string(static_cast<int>(outcome)) + " " + detail;
}

// The child's side: one sign-in; a damaged file shows two boxes at most.
std::string signInOnce(const std::string& typed) {
    SignInRun run;
    run.services.answerOk(2);
    return pressOk(run, typed, judgeSignIn);
}

// db1.out as the exercise programs read it: six lines, each ending in CR LF and holding no other
// line end; the fourth is the number as typed, the last two signed decimals.
std::string checkRecord(const std::string& record, const std::string& typed) {
    std::vector<std::string> lines;
    std::size_t from = 0;
    while (from < record.size()) {
        const std::size_t end = record.find("\r\n", from);
        if (end == std::string::npos) return "a line without CR LF";
        lines.push_back(record.substr(from, end - from));
        from = end + 2;
    }
    if (lines.size() != 6) return std::to_string(lines.size()) + " lines";
    for (const std::string& line : lines)
        if (line.find_first_of("\r\n") != std::string::npos) return "a stray line end";
    if (lines[3] != typed) return "line 4 is not the number as typed";
    for (int i : {4, 5}) {
        const std::string& n = lines[static_cast<std::size_t>(i)];
        const std::size_t digits = n.rfind('-', 0) == 0 ? 1 : 0;
        if (n.size() == digits || n.find_first_not_of("0123456789", digits) != std::string::npos)
            return "line " + std::to_string(i + 1) + " is not a number";
    }
    return {};
}

// Orphaned reader helpers are handed to this process while the sweep runs, so that one that
// outlived its sign-in shows.
class AdoptOrphans {
public:
    AdoptOrphans() { prctl(PR_SET_CHILD_SUBREAPER, 1); }
    ~AdoptOrphans() { prctl(PR_SET_CHILD_SUBREAPER, 0); }
    // Reaps what has ended; true when no child at all is left within the wait.
    static bool noneLeft(std::chrono::milliseconds wait) {
        const auto end = std::chrono::steady_clock::now() + wait;
        for (;;) {
            int status;
            const pid_t r = waitpid(-1, &status, WNOHANG);
            if (r < 0 && errno == ECHILD) return true;
            if (r > 0) continue;
            if (std::chrono::steady_clock::now() >= end) return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }
};

TEST(DamagedDatabaseSweep, EverySignInEndsAsASignInMayWithWholeFiles) {
    const Fixture fixtures[] = {
        {"students_small.mdb", {"12345", "А-100", "ab12", "00789", "ЗК-2024/5"}, 120, 50, 50},
        {"students_big.mdb", {"B019999", "B000001", "b010000", "B099999"}, 40, 25, 25},
    };
    // A damaged file stops the reader in one reply at most; the rest is starting and ending it.
    // The station's own limits are used: the sweep's sign-ins take milliseconds each.
    const double bound = jet::Limits{}.replyTimeoutMs / 1000.0 + 2.0;
    // Past this the sign-in counts as hung and is killed.
    const auto deadline = std::chrono::seconds(30);

    AdoptOrphans adopt;
    std::map<Outcome, int> counts;
    std::map<std::string, int> kinds;
    double slowest = 0;
    const auto start = std::chrono::steady_clock::now();
    std::uint64_t seed = 20240611;
    for (const Fixture& fixture : fixtures) {
        for (const Mutant& m : mutantsOf(fixture, seed++)) {
            SCOPED_TRACE(m.name);
            Station station;
            station.database(m.bytes);
            const ChildResult child = runWithDeadline(
                [&] {
                    ScopedCwd cwd(station.folder());
                    return signInOnce(m.typed);
                },
                deadline);
            ASSERT_TRUE(child.finished) << "the sign-in hung";
            ASSERT_EQ(child.status, 0) << "the sign-in crashed: " << child.report;
            EXPECT_LT(child.seconds, bound);
            slowest = std::max(slowest, child.seconds);

            const auto outcome = static_cast<Outcome>(std::atoi(child.report.c_str()));
            ++counts[outcome];
            EXPECT_NE(outcome, Outcome::Unexpected) << child.report;
            const std::optional<std::string> record = station.file("db1.out");
            const std::optional<std::string> handOff = station.file("vdm_out.txt");
            if (outcome == Outcome::Found) {
                ASSERT_TRUE(record) << "found, but no db1.out";
                EXPECT_EQ(checkRecord(*record, m.typed), "");
                EXPECT_FALSE(handOff);
            } else if (outcome == Outcome::NotFound) {
                EXPECT_FALSE(record);
                EXPECT_FALSE(handOff);
            } else {
                EXPECT_FALSE(record) << "a fatal end left db1.out";
                EXPECT_EQ(handOff, "1");
            }
        }
    }
    EXPECT_TRUE(AdoptOrphans::noneLeft(std::chrono::seconds(5)))
        << "a reader helper outlived its sign-in";

    const double total =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("damaged-database sweep: %.1f s in all, slowest sign-in %.2f s\n", total, slowest);
    for (const auto& [outcome, n] : counts) std::printf("  %-40s %d\n", outcomeName(outcome), n);
}

}  // namespace
