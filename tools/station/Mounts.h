#pragma once

#include <filesystem>
#include <optional>
#include <string>

// What the system's tables say about a folder a share should be mounted on: the static table
// (fstab) names the mount, the kernel's table (/proc/self/mounts) says whether it is mounted.
namespace station {

struct MountEntry {
    std::string source;  // the share or device, as the table writes it
    std::filesystem::path mountPoint;
};

// The entry of the table in fstabText whose mount point is path or the nearest folder above
// it; the root folder and swap never count. Mount points are compared as written, lexically.
std::optional<MountEntry> fstabEntryFor(const std::string& fstabText,
                                        const std::filesystem::path& path);

// Whether the kernel's table (the text of /proc/self/mounts) has something mounted on folder.
bool isMountedOn(const std::string& mountsText, const std::filesystem::path& folder);

// The text of a system table, empty when it cannot be read; the static table is read from
// RULEVION_FSTAB when that is set, so that tests never read the machine's own.
std::string readFstab();
std::string readMounts();

}  // namespace station
