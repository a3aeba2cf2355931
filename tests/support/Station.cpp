#include "Station.h"

#include "MessageCatalogue.h"

#include <cstdlib>
#include <stdexcept>

namespace fs = std::filesystem;

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
    fs::create_directories(databaseFile().parent_path());
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

std::string pressOk(SignInRun& run, const std::string& typed,
                    const std::function<std::string(SignInRun&)>& judge) {
    run.view.entry = typed;
    run.services.onEnd = [&](int status) {
        run.ended = status;
        reportToParent(judge(run));
    };
    panel::onSignIn(run.services, run.view, run.state, run.db);
    return judge(run);
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
        if (want.slot == kEngineBox) {
            if (!box.engine || box.text.empty()) return "boxes shown: " + shown;
            continue;
        }
        if (box.engine || box.text != catalogue().slotTexts[want.slot] + want.appended)
            return "boxes shown: " + shown;
        if (box.owner != &run.view.widget || box.title != catalogue().caption ||
            box.type != ui::kBoxSignInError)
            return "box " + std::to_string(i) + " has the wrong owner, title or type";
    }
    return {};
}
