// Damaged copies of real student databases, made by a fixed recipe (byte flips anywhere, in table
// definitions and in usage maps, cut-off files, zeroed pages), each taken through the whole
// sign-in: whatever the damage, the run ends as a sign-in can end (the student found with his
// own row, not found, or the error boxes and the fatal exit), in bounded time, and the files the
// shell and the exercise programs read are whole.
#include "CaseFold.h"
#include "Cp1251.h"
#include "CsvClassList.h"
#include "Jet.h"
#include "JetTestSupport.h"
#include "JetWriter.h"
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
#include <memory>
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
    const char* file;                // under tests/data/jet, or made by the writer
    const char* csv;                 // its rows, under tests/data/jet
    std::vector<std::string> typed;  // UTF-8 numbers to sign in with, in turn
    int flips, cuts, zeroed;         // how many mutants of each kind
    int definitionFlips = 0, mapFlips = 0;
};

struct Original {
    std::string bytes;
    std::vector<std::size_t> structurePages;
    std::vector<std::size_t> definitionPages;
    // Where the tables' used-pages maps lie: [begin, end) byte ranges.
    std::vector<std::pair<std::size_t, std::size_t>> maps;
};

// Pages where a reader finds its way (header, table definitions, indexes, usage maps, and the
// first few pages, which hold the catalogue): damage there says more than in row data.
std::vector<std::size_t> structurePages(const std::string& bytes) {
    std::vector<std::size_t> pages;
    for (std::size_t p = 0; (p + 1) * kPage <= bytes.size(); ++p)
        if (p < 16 || bytes[p * kPage] != 0x01) pages.push_back(p);
    return pages;
}

std::vector<std::size_t> pagesOfType(const std::string& bytes, char type) {
    std::vector<std::size_t> pages;
    for (std::size_t p = 0; (p + 1) * kPage <= bytes.size(); ++p)
        if (bytes[p * kPage] == type) pages.push_back(p);
    return pages;
}

std::uint32_t le(const std::string& bytes, std::size_t at, int n) {
    std::uint32_t v = 0;
    for (int i = 0; i < n; ++i)
        v |= static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at + i])) << (8 * i);
    return v;
}

// Each table definition's used-pages map is a row on a data page, named by the definition's
// row pointer at offset 55 (row, then a 3-byte page); continuation pages give nonsense pointers,
// which are passed over.
std::vector<std::pair<std::size_t, std::size_t>> usageMapRows(const std::string& bytes) {
    std::vector<std::pair<std::size_t, std::size_t>> rows;
    for (std::size_t def : pagesOfType(bytes, 0x02)) {
        const std::size_t row = static_cast<unsigned char>(bytes[def * kPage + 55]);
        const std::size_t page = le(bytes, def * kPage + 56, 3);
        if ((page + 1) * kPage > bytes.size() || bytes[page * kPage] != 0x01) continue;
        const std::size_t base = page * kPage;
        if (row >= le(bytes, base + 12, 2)) continue;
        const std::size_t begin = le(bytes, base + 14 + 2 * row, 2) & 0x1FFF;
        const std::size_t end = row == 0 ? kPage : le(bytes, base + 14 + 2 * (row - 1), 2) & 0x1FFF;
        if (begin < end && end <= kPage) rows.emplace_back(base + begin, base + end);
    }
    return rows;
}

struct Mutant {
    std::string name;
    std::string bytes;
    std::string typed;                      // CP1251
    std::vector<std::size_t> flipped = {};  // where bytes were flipped
    std::shared_ptr<const std::string> original = {};
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
        m.flipped.push_back(at);
    }
    return m;
}

// A few bytes flipped inside one of the given byte ranges.
Mutant flipWithin(const std::vector<std::pair<std::size_t, std::size_t>>& ranges, const char* kind,
                  const Original& f, Recipe& r) {
    Mutant m{kind, f.bytes, {}};
    if (ranges.empty()) return m;
    const auto [begin, end] = ranges[r.below(ranges.size())];
    const std::size_t count = 1 + r.below(4);
    for (std::size_t k = 0; k < count; ++k) {
        const std::size_t at = begin + r.below(end - begin);
        m.bytes[at] = static_cast<char>(m.bytes[at] ^ static_cast<char>(1 + r.below(255)));
        m.name += " @" + std::to_string(at);
        m.flipped.push_back(at);
    }
    return m;
}

std::vector<std::pair<std::size_t, std::size_t>> wholePages(const std::vector<std::size_t>& pages) {
    std::vector<std::pair<std::size_t, std::size_t>> out;
    for (std::size_t p : pages) out.emplace_back(p * kPage, (p + 1) * kPage);
    return out;
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

// A school file that Access has edited: rows moved once and twice, moved then deleted, and
// deleted in place, among plain rows; its live rows are those of students_small.csv.
std::string editedSchoolFile() {
    using P = jetwriter::RowPlacement;
    const std::vector<jettest::StudentRow> live =
        jettest::readCsv(jettest::dataFile("jet/students_small.csv"));
    auto row = [](const jettest::StudentRow& s) -> jetwriter::Row {
        auto text = [](const std::string& t) -> jetwriter::Value {
            if (t.empty()) return std::nullopt;
            return cp1251::toUtf8(t);
        };
        return {cp1251::toUtf8(s.StBook),
                text(s.StName),
                text(s.StNum),
                text(s.GrNum),
                s.StCount,
                s.GrCount};
    };
    jetwriter::Table t = classlist::studentsTable();
    // Each live row is preceded by a gone one with the same number and other values: a reader
    // that took it for live would sign the student in with them.
    for (std::size_t i = 0; i < live.size(); ++i) {
        jettest::StudentRow gone = live[i];
        gone.StName = cp1251::fromUtf8("Удалённый ") + std::to_string(i);
        gone.StCount = 999;
        t.rows.push_back(row(gone));
        t.placements.push_back(i % 2 == 0 ? P::Deleted : P::MovedThenDeleted);
        t.rows.push_back(row(live[i]));
        t.placements.push_back(i % 3 == 0 ? P::Moved : i % 3 == 1 ? P::MovedTwice : P::InPlace);
        if (i % 3 == 1) {
            jettest::StudentRow stale = live[(i + 1) % live.size()];
            stale.StBook = live[i].StBook;
            t.staleCopies[t.rows.size() - 1] = row(stale);
        }
    }
    return jetwriter::databaseBytes({t});
}

std::vector<Mutant> mutantsOf(const Fixture& f, std::uint64_t seed) {
    Original o;
    o.bytes = std::string(f.file) == "edited" ? editedSchoolFile()
                                              : dataBytes(std::string("jet/") + f.file);
    o.structurePages = structurePages(o.bytes);
    o.definitionPages = pagesOfType(o.bytes, 0x02);
    o.maps = usageMapRows(o.bytes);
    Recipe r(seed);
    std::vector<Mutant> out;
    const auto original = std::make_shared<const std::string>(o.bytes);
    auto add = [&](Mutant m) {
        m.original = original;
        m.name = std::string(f.file) + ": " + m.name;
        m.typed = cp1251::fromUtf8(f.typed[out.size() % f.typed.size()]);
        out.push_back(std::move(m));
    };
    for (int i = 0; i < f.flips; ++i) add(flipBytes(o, r, i));
    for (int i = 0; i < f.cuts; ++i) add(cutShort(o, r, i));
    for (int i = 0; i < f.zeroed; ++i) add(zeroPages(o, r, i));
    for (int i = 0; i < f.definitionFlips; ++i)
        add(flipWithin(wholePages(o.definitionPages), "table definition flip", o, r));
    for (int i = 0; i < f.mapFlips; ++i) add(flipWithin(o.maps, "usage map flip", o, r));
    return out;
}

enum class Outcome { Found, NotFound, CannotOpenDatabase, NoTable, CannotOpenTable, Unexpected };

const char* outcomeName(Outcome o) {
    switch (o) {
        case Outcome::Found: return "student found";
        case Outcome::NotFound: return "not found";
        case Outcome::CannotOpenDatabase:
            return "fatal: database (engine box, then cannot open the database)";
        case Outcome::NoTable: return "fatal: no table (engine box, then no students table)";
        case Outcome::CannotOpenTable:
            return "fatal: table (engine box, then cannot open the students)";
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
        {Outcome::NotFound, false, {{slot::kStudentNotFound, ""}}},
        {Outcome::CannotOpenDatabase,
         true,
         {{kEngineBox, ""}, {slot::kCannotOpenDatabase, kPathC}}},
        {Outcome::NoTable, true, {{kEngineBox, ""}, {slot::kNoStudentsTable, ""}}},
        {Outcome::CannotOpenTable, true, {{kEngineBox, ""}, {slot::kCannotOpenStudents, ""}}},
    };
    const bool ended = run.ended.has_value();
    for (const auto& a : allowed)
        if (a.ended == ended && compareBoxes(run, a.boxes).empty()) outcome = a.outcome;
    if (outcome == Outcome::Unexpected)
        detail = (ended ? "ended, " : "returned, ") + compareBoxes(run, {});
    if (outcome == Outcome::Found && run.view.label != messageText(text::kSignedInLabel)) {
        outcome = Outcome::Unexpected;
        detail = "found, but the panel does not say so";
    }
    if (!ended) run.db.release();  // as the panel's teardown would
    return std::to_string(static_cast<int>(outcome)) + " " + detail;
}

// The record each number must sign in with: the first row in table order whose number matches
// ignoring letter case.
struct Meant {
    jettest::StudentRow row;
    std::string record;  // db1.out
};
using Expected = std::map<std::string, Meant>;

Expected expectedRecords(const char* csv, const std::vector<std::string>& typedUtf8) {
    const std::vector<jettest::StudentRow> rows =
        jettest::readCsv(jettest::dataFile(std::string("jet/") + csv));
    Expected out;
    for (const std::string& utf8 : typedUtf8) {
        const std::string typed = cp1251::fromUtf8(utf8);
        for (const jettest::StudentRow& s : rows) {
            if (!cp1251::equalIgnoringCase(s.StBook, typed)) continue;
            out[typed].row = s;
            out[typed].record = s.StName + "\r\n" + s.StNum + "\r\n" + s.GrNum + "\r\n" + typed +
                                "\r\n" + std::to_string(s.StCount) + "\r\n" +
                                std::to_string(s.GrCount) + "\r\n";
            break;
        }
    }
    return out;
}

// The bytes a text value may be stored as in a Jet4 or ACE row: UTF-16LE, or compressed (FF FE,
// then one byte a character) when every character fits in one.
std::vector<std::string> storedForms(const std::string& cp1251) {
    std::string wide;
    std::string narrow = "\xFF\xFE";
    bool compressible = true;
    for (unsigned char c : cp1251) {
        const char32_t u = cp1251::toCodePoint(c);
        wide += static_cast<char>(u & 0xFF);
        wide += static_cast<char>((u >> 8) & 0xFF);
        compressible = compressible && u < 0x100;
        narrow += static_cast<char>(u & 0xFF);
    }
    if (compressible) return {wide, narrow};
    return {wide};
}

// A flip inside the student's own stored text changes that value and nothing else: the row is
// still his, and no reader can tell (the format has no checksums). True when the record is the
// meant one but for lines whose stored bytes the mutant hit.
bool ownRowDamagedInPlace(const std::string& record, const Meant& meant, const Mutant& m) {
    if (m.flipped.empty()) return false;
    auto lines = [](const std::string& r) {
        std::vector<std::string> out;
        for (std::size_t from = 0, end; (end = r.find("\r\n", from)) != std::string::npos;
             from = end + 2)
            out.push_back(r.substr(from, end - from));
        return out;
    };
    const std::vector<std::string> got = lines(record), want = lines(meant.record);
    if (got.size() != want.size() || got.size() != 6) return false;
    const std::string* texts[] = {&meant.row.StName, &meant.row.StNum, &meant.row.GrNum};
    for (std::size_t i = 0; i < 6; ++i) {
        if (got[i] == want[i]) continue;
        // The counts must match; a text may differ only character for character, no more than
        // the flips could have changed.
        if (i >= 3 || got[i].size() != want[i].size()) return false;
        std::size_t differing = 0;
        for (std::size_t k = 0; k < got[i].size(); ++k) differing += got[i][k] != want[i][k];
        if (differing > m.flipped.size()) return false;
        bool hit = false;
        for (const std::string& form : storedForms(*texts[i]))
            for (std::size_t at = m.original->find(form); !hit && at != std::string::npos;
                 at = m.original->find(form, at + 1))
                for (std::size_t f : m.flipped) hit = hit || (f >= at && f < at + form.size());
        if (!hit) return false;
    }
    return true;
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
    const std::vector<std::string> small = {"12345", "А-100", "ab12", "00789", "ЗК-2024/5"};
    const Fixture fixtures[] = {
        {"students_small.mdb", "students_small.csv", small, 100, 40, 40, 30, 30},
        {"students_big.mdb",
         "students_big.csv",
         {"B019999", "B000001", "b010000", "B099999"},
         30,
         20,
         20,
         15,
         15},
        {"students_v2007.accdb", "students_small.csv", small, 30, 20, 15, 20, 20},
        {"edited", "students_small.csv", small, 30, 20, 15, 20, 20},
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
        const Expected expected = expectedRecords(fixture.csv, fixture.typed);
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
                // Never another student's row, nor his own mixed with another's.
                const auto meant = expected.find(m.typed);
                if (meant == expected.end()) {
                    ADD_FAILURE() << "signed in a student who is not in the file";
                } else if (*record != meant->second.record &&
                           !ownRowDamagedInPlace(*record, meant->second, m)) {
                    EXPECT_EQ(jettest::utf8(*record), jettest::utf8(meant->second.record))
                        << "found with other values";
                }
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
