#include "Mounts.h"

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <vector>

namespace fs = std::filesystem;

namespace station {
namespace {

// The tables write a blank inside a field as \040, a tab as \011 and so on.
std::string unescaped(const std::string& field) {
    std::string out;
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size()) {
            const std::string digits = field.substr(i + 1, 3);
            if (digits.find_first_not_of("01234567") == std::string::npos) {
                out += static_cast<char>(std::stoi(digits, nullptr, 8));
                i += 3;
                continue;
            }
        }
        out += field[i];
    }
    return out;
}

// The first fields of each line that is not a comment.
std::vector<std::vector<std::string>> entries(const std::string& text) {
    std::vector<std::vector<std::string>> rows;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream words(line);
        std::vector<std::string> fields;
        std::string word;
        while (fields.size() < 3 && words >> word) fields.push_back(unescaped(word));
        if (fields.size() < 2 || fields[0].front() == '#') continue;
        rows.push_back(std::move(fields));
    }
    return rows;
}

fs::path normal(const fs::path& path) {
    fs::path p = path.lexically_normal();
    if (p.has_relative_path() && !p.has_filename()) p = p.parent_path();  // "a/b/" -> "a/b"
    return p;
}

// Whether folder is path or one of the folders above it.
bool holds(const fs::path& folder, const fs::path& path) {
    const fs::path relative = path.lexically_relative(folder);
    return !relative.empty() && *relative.begin() != "..";
}

std::string readWhole(const char* file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) return {};
    // The tables are small; a file that is not one is read no further than this.
    std::string chunk(64 * 1024, '\0');
    in.read(chunk.data(), static_cast<std::streamsize>(chunk.size()));
    chunk.resize(static_cast<std::size_t>(in.gcount()));
    return chunk;
}

}  // namespace

std::optional<MountEntry> fstabEntryFor(const std::string& fstabText, const fs::path& path) {
    const fs::path target = normal(path);
    std::optional<MountEntry> nearest;
    for (const auto& fields : entries(fstabText)) {
        const fs::path mountPoint = normal(fields[1]);
        if (!mountPoint.is_absolute() || mountPoint == mountPoint.root_path()) continue;
        if (fields.size() > 2 && fields[2] == "swap") continue;
        if (!holds(mountPoint, target)) continue;
        if (!nearest || holds(nearest->mountPoint, mountPoint))
            nearest = MountEntry{fields[0], mountPoint};
    }
    return nearest;
}

bool isMountedOn(const std::string& mountsText, const fs::path& folder) {
    const fs::path target = normal(folder);
    for (const auto& fields : entries(mountsText))
        if (normal(fields[1]) == target) return true;
    return false;
}

std::string readFstab() {
    const char* file = std::getenv("RULEVION_FSTAB");
    return readWhole(file && *file ? file : "/etc/fstab");
}

std::string readMounts() {
    return readWhole("/proc/self/mounts");
}

}  // namespace station
