#include "FirstFrame.h"

#include <QEvent>
#include <QTimer>
#include <QWidget>

#include <time.h>
#include <unistd.h>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

FirstFrame::FirstFrame(QWidget* window, std::function<void()> then) : then_(std::move(then)) {
    window->installEventFilter(this);
}

bool FirstFrame::eventFilter(QObject* watched, QEvent* event) {
    if (!seen_ && event->type() == QEvent::Paint) {
        seen_ = true;
        watched->removeEventFilter(this);
        QTimer::singleShot(0, this, [this] { then_(); });
    }
    return false;
}

namespace probe {

void report(const char* key, long long value) {
    std::printf("%s %lld\n", key, value);
    std::fflush(stdout);
}

void report(const char* key, const char* text) {
    std::printf("%s %s\n", key, text);
    std::fflush(stdout);
}

namespace {

long long peakOf(const std::string& pid) {
    std::ifstream status("/proc/" + pid + "/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmHWM:", 0) == 0) return std::atoll(line.c_str() + 6);
    return -1;
}

}  // namespace

long long peakKb() {
    return peakOf("self");
}

long long childPeakKb() {
    const std::string self = std::to_string(getpid());
    for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
        const std::string pid = entry.path().filename().string();
        if (pid.empty() || pid.find_first_not_of("0123456789") != std::string::npos) continue;
        std::ifstream stat(entry.path() / "stat");
        std::string line;
        std::getline(stat, line);
        const std::size_t close = line.rfind(')');
        if (close == std::string::npos) continue;
        std::istringstream rest(line.substr(close + 1));
        std::string state;
        std::string ppid;
        rest >> state >> ppid;
        if (ppid == self) return peakOf(pid);
    }
    return -1;
}

}  // namespace probe
