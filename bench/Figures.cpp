#include "Figures.h"

#include "Cp1251.h"
#include "HelperChannel.h"
#include "Jet.h"
#include "Processes.h"
#include "SignIn.h"
#include "SignInState.h"
#include "WindowServices.h"

#include <benchmark/benchmark.h>

#include <dirent.h>
#include <time.h>
#include <unistd.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <stdexcept>

namespace fs = std::filesystem;

namespace bench {
namespace {

using benchmark::Counter;

// The panel's controls as the sign-in sees them, recorded.
class RecordingView : public panel::SignInView {
public:
    std::string entry;
    std::string label;
    QWidget* owner() override { return nullptr; }
    std::string entryText() override { return entry; }
    void setEntryText(const std::string& text) override { entry = text; }
    void setLabelText(const std::string& text) override { label = text; }
};

// The window system for a sign-in that must succeed: boxes are counted; the end of the process,
// which a good station never reaches, ends the benchmark run with an error.
class QuietServices : public ui::WindowServices {
public:
    int boxes = 0;
    int messageBox(QWidget*, const std::string&, const std::string&, ui::BoxType) override {
        ++boxes;
        return ui::kAnswerOk;
    }
    void engineErrorBox(const std::string&) override { ++boxes; }
    void openDocument(const std::string&) override {}
    [[noreturn]] void endProcess(int status) override {
        std::fprintf(stderr, "rv-bench: the sign-in ended the program (status %d)\n", status);
        std::_Exit(1);
    }
};

void setCounters(benchmark::State& state, double cpuNs, double rssKb = 0, double helperRssKb = 0) {
    state.counters["cpu_ms"] = Counter(cpuNs / 1e6, Counter::kAvgIterations);
    if (rssKb > 0) state.counters["rss_kb"] = Counter(rssKb, Counter::kAvgIterations);
    if (helperRssKb > 0)
        state.counters["helper_rss_kb"] = Counter(helperRssKb, Counter::kAvgIterations);
}

// From the press of OK to the student's name in the entry, as the panel runs it: monitor file,
// drive mapping, helper start, database, table and recordset opened, scan, student read and
// db1.out written. The helper's CPU is counted when it is reaped, after the name is shown.
void signIn(benchmark::State& state, const StudentsFile& f, const Student& student) {
    setenv("VDM_DRIVES", f.drives.c_str(), 1);
    const std::string typed = cp1251::fromUtf8(student.book);
    const std::string name = cp1251::fromUtf8(student.name);
    long long cpu = 0;
    for (auto _ : state) {
        QuietServices services;
        RecordingView view;
        view.entry = typed;
        SignInState signIn;
        DatabaseObjects db;
        const long long c0 = processCpuNs();
        const long long k0 = reapedChildrenCpuNs();
        const long long t0 = monotonicNs();
        panel::onSignIn(services, view, signIn, db);
        const long long t1 = monotonicNs();
        const long long c1 = processCpuNs();
        db.release();
        cpu += (c1 - c0) + (reapedChildrenCpuNs() - k0);
        state.SetIterationTime(static_cast<double>(t1 - t0) / 1e9);
        if (view.entry.rfind(name, 0) != 0 || services.boxes != 0) {
            state.SkipWithError("the student's name was not shown");
            break;
        }
    }
    setCounters(state, static_cast<double>(cpu));
}

// The one child this process has while a database is open: its reader helper.
pid_t onlyChild() {
    pid_t found = -1;
    DIR* proc = opendir("/proc");
    if (!proc) return -1;
    while (dirent* e = readdir(proc)) {
        const pid_t pid = static_cast<pid_t>(std::atoi(e->d_name));
        if (pid <= 0) continue;
        std::ifstream stat(std::string("/proc/") + e->d_name + "/stat");
        std::string line;
        std::getline(stat, line);
        const std::size_t close = line.rfind(')');
        if (close == std::string::npos) continue;
        char state = 0;
        int ppid = 0;
        if (std::sscanf(line.c_str() + close + 1, " %c %d", &state, &ppid) == 2 && ppid == getpid())
            found = pid;
    }
    closedir(proc);
    return found;
}

// The scan alone: the helper already runs with the file and table open; a recordset is opened and
// the record-book numbers read to the last row.
void scanAlone(benchmark::State& state, const StudentsFile& f) {
    jet::Database db;
    jet::TableDef table(db);
    try {
        db.open(f.file.string());
        table.open("Students");
    } catch (const jet::Error& e) {
        state.SkipWithError(e.what());
        return;
    }
    clockid_t helperClock{};
    const pid_t helper = onlyChild();
    if (helper <= 0 || clock_getcpuclockid(helper, &helperClock) != 0) {
        state.SkipWithError("cannot find the reader helper");
        return;
    }
    long long cpu = 0;
    for (auto _ : state) {
        const long long c0 = processCpuNs();
        const long long h0 = clockNs(helperClock);
        const long long t0 = monotonicNs();
        int rows = 0;
        jet::Recordset records(db);
        try {
            records.open(table, {{"StBook", jet::FieldValue::Kind::Text}});
            for (records.moveFirst(); !records.isEof(); records.moveNext()) {
                benchmark::DoNotOptimize(records.value("StBook"));
                ++rows;
            }
        } catch (const jet::Error& e) {
            state.SkipWithError(e.what());
            break;
        }
        const long long t1 = monotonicNs();
        cpu += (processCpuNs() - c0) + (clockNs(helperClock) - h0);
        state.SetIterationTime(static_cast<double>(t1 - t0) / 1e9);
        records.close();
        if (rows != f.rows) {
            state.SkipWithError("the scan did not read every row");
            break;
        }
    }
    setCounters(state, static_cast<double>(cpu));
}

// The helper's start alone: spawned, first request answered, ended.
void helperStart(benchmark::State& state) {
    long long cpu = 0;
    for (auto _ : state) {
        const long long c0 = processCpuNs();
        const long long k0 = reapedChildrenCpuNs();
        const long long t0 = monotonicNs();
        try {
            jet::HelperChannel channel{jet::Limits{}};
            jet::protocol::Request request;
            request.type = jet::protocol::RequestType::CloseCursor;  // answered without a file
            const jet::protocol::Reply reply = channel.call(request);
            state.SetIterationTime(static_cast<double>(monotonicNs() - t0) / 1e9);
            if (reply.type != jet::protocol::ReplyType::Failed) {
                state.SkipWithError("unexpected reply");
                break;
            }
        } catch (const jet::Error& e) {
            state.SkipWithError(e.what());
            break;
        }
        cpu += (processCpuNs() - c0) + (reapedChildrenCpuNs() - k0);
    }
    setCounters(state, static_cast<double>(cpu));
}

// Another program, start to end; `check` looks at what it reported. Its memory is not taken: the
// kernel's figure for a spawned child includes this process's own, and only the probes read theirs.
template <class Check>
void program(benchmark::State& state, const ChildCommand& command, Check check) {
    double cpu = 0;
    for (auto _ : state) {
        const ChildRun run = runChild(command);
        if (!run.ok()) {
            state.SkipWithError((command.argv[0] + " failed").c_str());
            break;
        }
        if (const char* problem = check(run)) {
            state.SkipWithError(problem);
            break;
        }
        state.SetIterationTime(static_cast<double>(run.wallNs) / 1e9);
        cpu += static_cast<double>(run.cpuNs);
    }
    setCounters(state, cpu);
}

// A start-up: process start to the first frame, the CPU spent by then, the peak of the whole run.
void startup(benchmark::State& state, const ChildCommand& command) {
    double cpu = 0;
    double rss = 0;
    for (auto _ : state) {
        const ChildRun run = runChild(command);
        const long long frame = run.number("frame_ns");
        if (!run.ok() || frame <= run.spawnNs) {
            state.SkipWithError((command.argv[0] + " showed no frame").c_str());
            break;
        }
        state.SetIterationTime(static_cast<double>(frame - run.spawnNs) / 1e9);
        cpu += static_cast<double>(run.number("frame_cpu_ns"));
        rss += static_cast<double>(run.number("peak_kb"));
    }
    setCounters(state, cpu, rss);
}

// The whole program signing a student in: start, first frame, OK pressed, name drawn, end. Its
// own peak and the helper's are kept apart.
void panelSignIn(benchmark::State& state, const ChildCommand& command, const std::string& name) {
    double cpu = 0;
    double rss = 0;
    double helperRss = 0;
    for (auto _ : state) {
        const ChildRun run = runChild(command);
        if (!run.ok()) {
            state.SkipWithError("the panel failed");
            break;
        }
        auto shown = run.report.find("shown");
        if (shown == run.report.end() || shown->second.rfind(name, 0) != 0) {
            state.SkipWithError("the panel did not show the student");
            break;
        }
        state.SetIterationTime(static_cast<double>(run.wallNs) / 1e9);
        cpu += static_cast<double>(run.cpuNs);
        rss += static_cast<double>(run.number("peak_kb"));
        helperRss += static_cast<double>(run.number("helper_peak_kb"));
    }
    setCounters(state, cpu, rss, helperRss);
}

std::string onPath(const char* command) {
    const char* path = std::getenv("PATH");
    std::string dirs = path ? path : "/usr/bin:/bin";
    std::size_t at = 0;
    while (at <= dirs.size()) {
        std::size_t end = dirs.find(':', at);
        if (end == std::string::npos) end = dirs.size();
        const fs::path candidate = fs::path(dirs.substr(at, end - at)) / command;
        if (access(candidate.c_str(), X_OK) == 0) return candidate.string();
        at = end + 1;
    }
    throw std::runtime_error(std::string(command) + " is not installed");
}

void add(benchmark::internal::Benchmark* b) {
    b->UseManualTime()->Unit(benchmark::kMillisecond);
}

}  // namespace

std::string signInName(const StudentsFile& f, const char* match) {
    return "signin/" + f.label + "/" + match;
}
std::string scanName(const StudentsFile& f) {
    return "scan/" + f.label;
}
std::string peerName(const char* peer, const StudentsFile& f) {
    return std::string(peer) + "/" + f.label;
}
std::string panelSignInName(const StudentsFile& f) {
    return "panel-signin/" + f.label;
}

void registerFigures(const BenchData& data) {
    const std::string bin = binDir();
    const std::string log = (data.dir / "programs.log").string();
    const std::vector<std::pair<std::string, std::string>> offscreen = {
        {"QT_QPA_PLATFORM", "offscreen"}};

    for (const StudentsFile& f : data.files) {
        for (const Match& m : kMatches) {
            const Student& s = f.*(m.student);
            add(benchmark::RegisterBenchmark(signInName(f, m.label).c_str(),
                                             [&f, &s](benchmark::State& st) { signIn(st, f, s); }));
        }
        add(benchmark::RegisterBenchmark(scanName(f).c_str(),
                                         [&f](benchmark::State& st) { scanAlone(st, f); }));

        ChildCommand exportAll;
        exportAll.argv = {onPath("mdb-export"), f.file.string(), "Students"};
        exportAll.stderrFile = log;
        add(benchmark::RegisterBenchmark(
            peerName("mdb-export", f).c_str(), [exportAll](benchmark::State& st) {
                program(st, exportAll, [](const ChildRun&) -> const char* { return nullptr; });
            }));

        ChildCommand scan;
        scan.argv = {bin + "/rv-bench-mdbscan", f.file.string(), "Students", "StBook", f.last.book};
        scan.captureReport = true;
        scan.stderrFile = log;
        const int rows = f.rows;
        add(benchmark::RegisterBenchmark(
            peerName("libmdb-scan", f).c_str(), [scan, rows](benchmark::State& st) {
                program(st, scan, [rows](const ChildRun& run) -> const char* {
                    return run.number("rows") == rows && run.number("match") == rows
                               ? nullptr
                               : "the bare scan did not read every row";
                });
            }));

        ChildCommand cat;
        cat.argv = {onPath("cat"), f.file.string()};
        cat.stderrFile = log;
        add(benchmark::RegisterBenchmark(peerName("cat", f).c_str(), [cat](benchmark::State& st) {
            program(st, cat, [](const ChildRun&) -> const char* { return nullptr; });
        }));
    }

    add(benchmark::RegisterBenchmark(kHelperStart, helperStart));

    ChildCommand panel;
    panel.argv = {bin + "/rv-bench-panel"};
    panel.cwd = data.station.string();
    panel.env = offscreen;
    panel.captureReport = true;
    panel.stderrFile = log;
    panel.deadlineMs = 60000;
    // The bare dialog takes the size the panel comes up with.
    const ChildRun sized = runChild(panel);
    if (!sized.ok() || sized.number("width") <= 0)
        throw std::runtime_error("the panel probe did not start; see " + log);
    add(benchmark::RegisterBenchmark(kPanelStart,
                                     [panel](benchmark::State& st) { startup(st, panel); }));

    ChildCommand dialog = panel;
    dialog.argv = {bin + "/rv-bench-dialog", sized.report.at("width"), sized.report.at("height")};
    add(benchmark::RegisterBenchmark(kDialogStart,
                                     [dialog](benchmark::State& st) { startup(st, dialog); }));
    const std::string bmp = (data.dir / "panel.bmp").string();
    ChildCommand save = dialog;
    save.argv = {bin + "/rv-bench-dialog-parts", "0", "0", "--save-picture", bmp};
    if (!runChild(save).ok()) throw std::runtime_error("cannot save the picture as " + bmp);
    for (const DialogParts& parts : kDialogParts) {
        ChildCommand withParts = dialog;
        withParts.argv[0] = bin + "/rv-bench-dialog-parts";
        for (const char* arg : parts.args)
            if (arg) withParts.argv.push_back(std::strcmp(arg, "@BMP") == 0 ? bmp : arg);
        add(benchmark::RegisterBenchmark(
            parts.name, [withParts](benchmark::State& st) { startup(st, withParts); }));
    }

    for (const StudentsFile& f : data.files) {
        if (f.label != "100k") continue;
        ChildCommand signingIn = panel;
        signingIn.argv = {bin + "/rv-bench-panel", "--sign-in", f.last.book};
        signingIn.env.emplace_back("VDM_DRIVES", f.drives.string());
        const std::string name = f.last.name;
        add(benchmark::RegisterBenchmark(
            panelSignInName(f).c_str(),
            [signingIn, name](benchmark::State& st) { panelSignIn(st, signingIn, name); }));
    }
}

}  // namespace bench
