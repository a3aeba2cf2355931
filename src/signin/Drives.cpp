#include "Drives.h"

#include "CaseFold.h"
#include "Cp1251.h"

#include <cstdlib>
#include <optional>
#include <vector>

namespace fs = std::filesystem;

namespace signin {

namespace {

bool isDriveLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

fs::path driveFolder(char letter) {
    const char lower = static_cast<char>(cp1251::foldCase(static_cast<unsigned char>(letter)));
    const fs::path plain = drivesRoot() / std::string(1, lower);
    const fs::path wine = drivesRoot() / (std::string(1, lower) + ":");
    std::error_code ec;
    if (!fs::exists(plain, ec) && fs::exists(wine, ec)) return wine;
    return plain;
}

std::vector<std::string> components(const std::string& text) {
    std::vector<std::string> parts;
    std::string part;
    for (char c : text) {
        if (c == '\\' || c == '/') {
            if (!part.empty()) parts.push_back(part);
            part.clear();
        } else {
            part += c;
        }
    }
    if (!part.empty()) parts.push_back(part);
    return parts;
}

// The entry of folder whose name equals name (CP1251) ignoring letter case; the first in name
// order when several do, so that the choice does not depend on the order of the folder listing.
std::optional<std::string> findIgnoringCase(const fs::path& folder, const std::string& name) {
    std::optional<std::string> found;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string entry = it->path().filename().string();
        if (!cp1251::equalIgnoringCase(cp1251::fromUtf8(entry), name)) continue;
        if (!found || entry < *found) found = entry;
    }
    return found;
}

fs::path child(const fs::path& folder, const std::string& name) {
    const std::string utf8 = cp1251::toUtf8(name);
    std::error_code ec;
    if (fs::exists(folder / utf8, ec)) return folder / utf8;
    if (auto entry = findIgnoringCase(folder, name)) return folder / *entry;
    return folder / utf8;
}

}  // namespace

fs::path drivesRoot() {
    const char* root = std::getenv("VDM_DRIVES");
    return root && *root ? fs::path(root) : fs::path("/mnt");
}

fs::path hostPath(const std::string& windowsPath) {
    const bool hasDrive =
        windowsPath.size() >= 2 && isDriveLetter(windowsPath[0]) && windowsPath[1] == ':';
    const fs::path base = hasDrive ? driveFolder(windowsPath[0]) : fs::path();
    fs::path path = base;
    std::size_t depth = 0;  // levels below base, so that ".." never leaves the drive
    for (const std::string& part : components(hasDrive ? windowsPath.substr(2) : windowsPath)) {
        if (part == ".") continue;
        if (part == "..") {
            if (depth > 0) {
                path = path.parent_path();
                --depth;
            }
            continue;
        }
        path = child(path.empty() ? fs::path(".") : path, part);
        ++depth;
    }
    return path;
}

}  // namespace signin
