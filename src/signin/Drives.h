#pragma once

#include <filesystem>
#include <string>

// Windows drive paths of the station's data on this system.
namespace signin {

// The folder holding the drive folders: $VDM_DRIVES, or /mnt when it is unset or empty.
std::filesystem::path drivesRoot();

// Maps "X:\a\b" (CP1251) onto drivesRoot()/x/a/b, or drivesRoot()/x:/a/b where only that drive
// folder exists (a Wine prefix's dosdevices). A component missing under its exact name is taken
// from the folder's entries ignoring letter case, as the station's data is copied from Windows;
// a component found neither way is kept as it is, so the path then names nothing. A path without
// a drive is taken relative to the current directory.
std::filesystem::path hostPath(const std::string& windowsPath);

}  // namespace signin
