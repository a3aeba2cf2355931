#include "Station.h"

#include "MessageCatalogue.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <stdexcept>
#include <thread>

namespace fs = std::filesystem;

namespace hardening {

const std::string kPathC = signin::kDatabasePathC;

Station::Station() : folder_(dir_ / "station"), drives_(dir_ / "drives") {
    fs::create_directories(folder_);
    fs::create_directories(databaseFile().parent_path());
    if (const char* old = std::getenv("VDM_DRIVES")) previousDrives_ = old;
    setenv("VDM_DRIVES", drives_.c_str(), 1);
    monitor("monitor\r\nstation 01\r\n1\r\n");
}

Station::~Station() {
    if (previousDrives_)
        setenv("VDM_DRIVES", previousDrives_->c_str(), 1);
    else
        unsetenv("VDM_DRIVES");
}

fs::path Station::databaseFile() const {
    return drives_ / "c/dat_ulmo/as_dbase/trener/01/dbtrener.mdb";
}

void Station::monitor(const std::string& bytes) const {
    writeFile(folder_ / "__monitor.txt", bytes);
}

void Station::database(const std::string& bytes) const {
    writeFile(databaseFile(), bytes);
}

void Station::databaseFrom(const std::string& dataFile) const {
    database(dataBytes(dataFile));
}

std::optional<std::string> Station::file(const std::string& name) const {
    const fs::path path = folder_ / name;
    const fs::file_status status = fs::symlink_status(path);
    if (!fs::exists(status)) return std::nullopt;
    // Never read through a link or a pipe: /dev/full and /dev/zero read without end.
    if (fs::is_symlink(status)) return "-> " + fs::read_symlink(path).string();
    if (fs::is_fifo(status)) return "<pipe>";
    if (fs::is_directory(status)) return "<folder>";
    return readFile(path);
}

void Station::openToEveryone() const {
    const auto all = fs::perms::owner_all | fs::perms::group_all | fs::perms::others_all;
    for (fs::path p = databaseFile().parent_path(); p != dir_.path().parent_path();
         p = p.parent_path())
        fs::permissions(p, all);
    fs::permissions(folder_, all);
}

std::string dataBytes(const std::string& relative) {
    const char* data = std::getenv("RV_TEST_DATA");
    if (!data) throw std::runtime_error("RV_TEST_DATA is not set; run the tests through ctest");
    return readFile(fs::path(data) / relative);
}

void pressOk(SignInRun& run, const std::string& typed) {
    run.view.entry = typed;
    try {
        onSignIn(run.services, run.view, run.state, run.db);
    } catch (const ui::ProcessEnded&) {
        run.ended = true;
    }
}

std::string compareBoxes(const SignInRun& run, const std::vector<Box>& expected) {
    const auto& boxes = run.services.boxes;
    std::string shown;
    for (const auto& box : boxes) {
        if (box.engine) {
            shown += "[engine box]";
            continue;
        }
        int slot = -1;
        for (int s = 0; s < MessageCatalogue::kSlotCount; ++s) {
            const std::string& t = catalogue().slotTexts[static_cast<std::size_t>(s)];
            if (!t.empty() && box.text.rfind(t, 0) == 0) slot = s;
        }
        shown += "[slot " + std::to_string(slot) + "]";
    }
    if (boxes.size() != expected.size()) return "boxes shown: " + shown;
    for (std::size_t i = 0; i < boxes.size(); ++i) {
        const auto& box = boxes[i];
        const Box& want = expected[i];
        if (want.slot == 0) {
            if (!box.engine || box.text.empty()) return "boxes shown: " + shown;
            continue;
        }
        if (box.engine ||
            box.text != catalogue().slotTexts[static_cast<std::size_t>(want.slot)] + want.appended)
            return "boxes shown: " + shown;
        if (box.owner != &run.view.widget || box.title != catalogue().caption ||
            box.type != ui::kBoxSignInError)
            return "box " + std::to_string(i) + " has the wrong owner, title or type";
    }
    return {};
}

namespace {

long long nowMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

[[noreturn]] void childSide(const std::function<std::string()>& body, int out,
                            bool asUnprivileged) {
    std::string report;
    int status = 0;
    if (asUnprivileged && geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) {
        report = "could not drop privileges";
        status = 125;
    } else {
        try {
            report = body();
        } catch (const std::exception& e) {
            report = std::string("exception: ") + e.what();
            status = 127;
        } catch (...) {
            report = "unknown exception";
            status = 127;
        }
    }
    for (std::size_t done = 0; done < report.size();) {
        const ssize_t n = write(out, report.data() + done, report.size() - done);
        if (n <= 0) break;
        done += static_cast<std::size_t>(n);
    }
    _exit(status);
}

}  // namespace

ChildResult runWithDeadline(const std::function<std::string()>& body,
                            std::chrono::milliseconds deadline, bool asUnprivileged) {
    ChildResult result;
    int ends[2];
    if (pipe2(ends, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
    const long long start = nowMs();
    const long long end = start + deadline.count();
    const pid_t pid = fork();
    if (pid < 0) throw std::runtime_error("fork failed");
    if (pid == 0) {
        close(ends[0]);
        childSide(body, ends[1], asUnprivileged);
    }
    close(ends[1]);

    bool open = true;
    while (open && nowMs() < end) {
        pollfd fd{ends[0], POLLIN, 0};
        const int ready = poll(&fd, 1, static_cast<int>(std::max(1LL, end - nowMs())));
        if (ready <= 0) continue;
        char chunk[4096];
        const ssize_t n = read(ends[0], chunk, sizeof chunk);
        if (n > 0)
            result.report.append(chunk, static_cast<std::size_t>(n));
        else if (n == 0 || errno != EINTR)
            open = false;
    }
    close(ends[0]);

    int status = 0;
    for (;;) {
        const pid_t r = waitpid(pid, &status, WNOHANG);
        if (r == pid) {
            result.finished = true;
            break;
        }
        if (r < 0 && errno != EINTR) break;
        if (nowMs() >= end) {
            kill(pid, SIGKILL);
            while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
            }
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    result.seconds = static_cast<double>(nowMs() - start) / 1000.0;
    if (WIFEXITED(status)) result.status = WEXITSTATUS(status);
    if (WIFSIGNALED(status)) result.status = 128 + WTERMSIG(status);
    return result;
}

}  // namespace hardening
