// Runs every figure side by side in one process and prints one table: the figures as medians over
// interleaved repetitions, and their ratios to the peers measured in the same run.
// Usage: rv-bench [--data DIR] [--table FILE] [Google Benchmark flags]

#include "BenchData.h"
#include "Figures.h"

#include <benchmark/benchmark.h>

#include <unistd.h>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fstream>
#include <iostream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using namespace bench;

namespace {

struct Result {
    double wallMs = 0;
    double cpuMs = 0;
    double rssKb = 0;
    double helperRssKb = 0;
    std::string error;
};

// Keeps the median of each figure (or its only run) and passes everything to the console.
class Collector : public benchmark::ConsoleReporter {
public:
    std::map<std::string, Result> results;

    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
            const bool single = run.run_type == Run::RT_Iteration && run.repetitions <= 1;
            Result& r = results[run.run_name.function_name];
            if (run.error_occurred) {
                r.error = run.error_message;
                continue;
            }
            if (!median && !single) continue;
            r.wallMs = run.GetAdjustedRealTime();
            r.cpuMs = counter(run, "cpu_ms");
            r.rssKb = counter(run, "rss_kb");
            r.helperRssKb = counter(run, "helper_rss_kb");
        }
        ConsoleReporter::ReportRuns(runs);
    }

private:
    static double counter(const Run& run, const char* name) {
        auto it = run.counters.find(name);
        return it == run.counters.end() ? 0 : it->second.value;
    }
};

std::string fixed(double v, int decimals) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.*f", decimals, v);
    return buffer;
}

std::string ms(double v) {
    return fixed(v, v < 10 ? 2 : 1) + " ms";
}

std::string times(double v) {
    return fixed(v, v < 10 ? 2 : 1) + "x";
}

class Table {
public:
    explicit Table(const std::map<std::string, Result>& results) : results_(results) {}

    const Result* find(const std::string& name) const {
        auto it = results_.find(name);
        return it == results_.end() || !it->second.error.empty() ? nullptr : &it->second;
    }

    void section(const std::string& title) { rows_ << "| **" << title << "** | | | | |\n"; }

    void figure(const std::string& label, const std::string& name, const std::string& note = {}) {
        auto it = results_.find(name);
        if (it == results_.end()) {
            rows_ << "| " << label << " | | | | not run |\n";
            return;
        }
        const Result& r = it->second;
        if (!r.error.empty()) {
            rows_ << "| " << label << " | | | | failed: " << r.error << " |\n";
            return;
        }
        rows_ << "| " << label << " | " << ms(r.wallMs) << " | " << ms(r.cpuMs) << " | "
              << (r.rssKb > 0 ? fixed(r.rssKb / 1024, 1) + " MB" : "") << " | " << note << " |\n";
    }

    // a / b on wall and CPU (and memory when both have it); the target, if any, on `judged`.
    enum class Judge { None, Cpu, Wall, Memory };
    void ratio(const std::string& label, const std::string& a, const std::string& b,
               Judge judged = Judge::None, double target = 0) {
        const Result* x = find(a);
        const Result* y = find(b);
        if (!x || !y || y->wallMs <= 0 || y->cpuMs <= 0) {
            rows_ << "| " << label << " | | | | not measured |\n";
            if (judged != Judge::None) verdicts_.push_back({label, "not measured"});
            return;
        }
        const double wall = x->wallMs / y->wallMs;
        const double cpu = x->cpuMs / y->cpuMs;
        const double memory = x->rssKb > 0 && y->rssKb > 0 ? x->rssKb / y->rssKb : 0;
        std::string note;
        if (judged != Judge::None) {
            const double v = judged == Judge::Cpu ? cpu : judged == Judge::Wall ? wall : memory;
            const char* what = judged == Judge::Cpu    ? "CPU"
                               : judged == Judge::Wall ? "wall"
                                                       : "peak RSS";
            note = std::string("target ≤ ") + times(target) + " " + what + ": **" +
                   (v <= target ? "met" : "NOT met") + "** (" + times(v) + " " + what;
            if (judged == Judge::Cpu) note += "; " + times(wall) + " wall";
            if (judged == Judge::Wall) note += "; " + times(cpu) + " CPU";
            note += ")";
            verdicts_.push_back({label, note});
        }
        if (judged == Judge::Memory)
            rows_ << "| " << label << " | | | " << (memory > 0 ? times(memory) : "not measured")
                  << " | " << note << " |\n";
        else
            rows_ << "| " << label << " | " << times(wall) << " | " << times(cpu) << " | | " << note
                  << " |\n";
    }

    void memory(const std::string& label, double kb, const std::string& note) {
        rows_ << "| " << label << " | | | "
              << (kb > 0 ? fixed(kb / 1024, 1) + " MB" : "not measured") << " | " << note << " |\n";
    }

    std::string text() const {
        std::ostringstream out;
        out << "| Figure | Wall | CPU | Peak RSS | Note |\n|---|---:|---:|---:|---|\n"
            << rows_.str() << "\nTargets:\n";
        for (const auto& [label, verdict] : verdicts_)
            out << "- " << label << ": " << verdict << "\n";
        return out.str();
    }

private:
    const std::map<std::string, Result>& results_;
    std::ostringstream rows_;
    std::vector<std::pair<std::string, std::string>> verdicts_;
};

std::string perRow(const Result* first, const Result* last, int rows) {
    if (!first || !last || rows < 2) return {};
    if (last->cpuMs <= first->cpuMs || last->wallMs <= first->wallMs)
        return "scan cost within the noise at this size";
    return "≈ " + fixed((last->wallMs - first->wallMs) * 1000 / (rows - 1), 2) + " µs wall, " +
           fixed((last->cpuMs - first->cpuMs) * 1000 / (rows - 1), 2) + " µs CPU per row scanned";
}

std::string makeTable(const BenchData& data, const std::map<std::string, Result>& results) {
    Table t(results);
    t.section("Sign-in: OK pressed to the name shown (helper start, open, scan, db1.out)");
    for (const StudentsFile& f : data.files) {
        const std::string rows = std::to_string(f.rows) + " rows, " + f.source;
        for (const Match& m : kMatches) {
            std::string note;
            if (std::strcmp(m.label, "last") == 0)
                note =
                    perRow(t.find(signInName(f, "first")), t.find(signInName(f, "last")), f.rows);
            t.figure("Sign-in " + f.label + " (" + rows + "), match at the " + m.label + " row",
                     signInName(f, m.label), note);
        }
    }
    t.section("Parts of the sign-in");
    t.figure("Reader helper start alone (spawn, first reply, end)", kHelperStart);
    for (const StudentsFile& f : data.files)
        t.figure("Scan alone " + f.label + " (recordset opened, StBook read to the last row)",
                 scanName(f));
    t.section("Peers on the same files");
    for (const StudentsFile& f : data.files) {
        t.figure("mdb-export FILE Students > /dev/null, " + f.label, peerName("mdb-export", f));
        t.figure("Bare libmdb scan binding StBook, " + f.label, peerName("libmdb-scan", f));
        t.figure("cat FILE > /dev/null, " + f.label, peerName("cat", f));
    }
    t.section("Sign-in (match at the last row) against the peers: ratios");
    for (const StudentsFile& f : data.files) {
        const bool judged = f.label == "100k";
        const std::string signIn = signInName(f, "last");
        t.ratio("Sign-in " + f.label + " / mdb-export", signIn, peerName("mdb-export", f),
                judged ? Table::Judge::Cpu : Table::Judge::None, 0.10);
        t.ratio("Sign-in " + f.label + " / bare libmdb scan", signIn, peerName("libmdb-scan", f));
        t.ratio("Sign-in " + f.label + " / cat", signIn, peerName("cat", f));
        t.ratio("Scan alone " + f.label + " / cat", scanName(f), peerName("cat", f),
                judged ? Table::Judge::Cpu : Table::Judge::None, 5.0);
        t.ratio("Scan alone " + f.label + " / bare libmdb scan", scanName(f),
                peerName("libmdb-scan", f));
    }
    t.section("Growth with the table (match at the last row)");
    for (const StudentsFile& f : data.files)
        if (f.label != "1k" && f.source == data.files.front().source)
            t.ratio("Sign-in " + f.label + " / sign-in 1k", signInName(f, "last"),
                    signInName(data.files.front(), "last"));
    t.section("Start-up: process start to the first frame, offscreen");
    t.figure("The panel (rulevion-menu's start-up)", kPanelStart);
    t.figure("A bare Qt dialog of the same size", kDialogStart);
    t.ratio("Panel / bare dialog", kPanelStart, kDialogStart, Table::Judge::Wall, 1.5);
    t.ratio("Panel / bare dialog, peak memory", kPanelStart, kDialogStart, Table::Judge::Memory,
            1.5);
    t.section("Where the panel's start-up goes: the bare dialog with parts of the panel");
    for (const DialogParts& parts : kDialogParts) {
        t.figure(parts.label, parts.name);
        t.ratio(std::string(parts.label) + " / bare dialog", parts.name, kDialogStart);
    }
    t.ratio("Panel / bare dialog + picture + text", kPanelStart, kDialogParts[2].name);
    t.ratio("Bare dialog + PNG picture + text / the same with a BMP", kDialogParts[2].name,
            kDialogParts[3].name);
    for (const StudentsFile& f : data.files) {
        if (f.label != "100k") continue;
        const std::string name = panelSignInName(f);
        t.section("The program signing in on " + std::to_string(f.rows) +
                  " students: start, OK, name drawn, end");
        t.figure("Panel with a sign-in (wall and CPU: the whole run, helper included)", name);
        t.ratio("Panel with a sign-in / bare dialog, peak memory", name, kDialogStart,
                Table::Judge::Memory, 1.5);
        const Result* r = t.find(name);
        t.memory("Reader helper's own peak (apart from the program's)", r ? r->helperRssKb : 0,
                 "not counted in the program's peak above");
    }
    return t.text();
}

std::string machine() {
    std::ifstream cpuinfo("/proc/cpuinfo");
    std::string model = "unknown CPU";
    for (std::string line; std::getline(cpuinfo, line);)
        if (line.rfind("model name", 0) == 0) {
            model = line.substr(line.find(':') + 2);
            break;
        }
    char date[32];
    const std::time_t now = std::time(nullptr);
    std::strftime(date, sizeof date, "%Y-%m-%d", std::localtime(&now));
    return std::string(date) + ", " + model + ", " + std::to_string(sysconf(_SC_NPROCESSORS_ONLN)) +
           " CPUs";
}

}  // namespace

int main(int argc, char** argv) {
    fs::path dataDir = "bench-data";
    fs::path tableFile;
    std::vector<char*> args = {argv[0]};
    // Interleaved repetitions and their medians: the machines are shared and noisy.
    std::vector<std::string> defaults = {"--benchmark_repetitions=5",
                                         "--benchmark_enable_random_interleaving=true",
                                         "--benchmark_report_aggregates_only=true"};
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--data") == 0 && i + 1 < argc) {
            dataDir = argv[++i];
        } else if (std::strcmp(argv[i], "--table") == 0 && i + 1 < argc) {
            tableFile = fs::absolute(argv[++i]);
        } else {
            for (std::string& d : defaults)
                if (d.substr(0, d.find('=')) == std::string(argv[i]).substr(0, d.find('=')))
                    d.clear();
            args.push_back(argv[i]);
        }
    }
    for (std::string& d : defaults)
        if (!d.empty()) args.push_back(d.data());
    int count = static_cast<int>(args.size());
    benchmark::Initialize(&count, args.data());
    if (benchmark::ReportUnrecognizedArguments(count, args.data())) return 2;

    try {
        const BenchData data = prepareData(dataDir);
        // The in-process sign-in works in the station folder, as the program does.
        fs::current_path(data.station);
        registerFigures(data);
        Collector collector;
        collector.SetOutputStream(&std::cerr);
        benchmark::RunSpecifiedBenchmarks(&collector);
        const std::string table = "Measured " + machine() + "; medians of interleaved runs.\n\n" +
                                  makeTable(data, collector.results);
        std::cout << table;
        if (!tableFile.empty()) std::ofstream(tableFile) << table;
    } catch (const std::exception& e) {
        std::cerr << "rv-bench: " << e.what() << "\n";
        return 1;
    }
    benchmark::Shutdown();
    return 0;
}
