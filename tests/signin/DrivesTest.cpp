#include "Cp1251.h"
#include "Drives.h"
#include "ScopedEnv.h"
#include "Station.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

namespace fs = std::filesystem;
using signin::hostPath;

namespace {

TEST(DrivesTest, WindowsPathsLandInTheDriveFolders) {
    struct Case {
        const char* name;
        std::vector<std::string> folders;  // made under the drives root, in this order (UTF-8)
        std::string windowsPath;           // UTF-8, converted to CP1251 for the call
        std::string expected;              // relative to the drives root
    } cases[] = {
        {"plain drive folder",
         {"c/dat_ulmo/as_dbase/trener/01"},
         kPathC,
         "c/dat_ulmo/as_dbase/trener/01/dbtrener.mdb"},
        {"dosdevices drive folder",
         {"c:/dat_ulmo/as_dbase/trener/01"},
         kPathC,
         "c:/dat_ulmo/as_dbase/trener/01/dbtrener.mdb"},
        {"plain folder wins over dosdevices",
         {"c/x", "c:/dat_ulmo"},
         kPathC,
         "c/dat_ulmo/as_dbase/trener/01/dbtrener.mdb"},
        {"no drive folder at all", {}, kPathC, "c/dat_ulmo/as_dbase/trener/01/dbtrener.mdb"},
        {"lower-case drive letter", {"d"}, "d:\\a", "d/a"},
        {"components in other case",
         {"c:/DAT_ULMO/As_DBase/TRENER/01/DBTRENER.MDB"},
         kPathC,
         "c:/DAT_ULMO/As_DBase/TRENER/01/DBTRENER.MDB"},
        {"exact name preferred", {"c/Data", "c/data", "c/DATA"}, "C:\\data", "c/data"},
        {"first of several case variants", {"c/Data", "c/DATA"}, "C:\\data", "c/DATA"},
        {"Cyrillic component",
         {"c/Данные/БАЗА"},
         "C:\\данные\\база\\Ёж.mdb",
         "c/Данные/БАЗА/Ёж.mdb"},
        {"missing component kept as written",
         {"c/dat_ulmo"},
         "C:\\DAT_ULMO\\Missing\\x",
         "c/dat_ulmo/Missing/x"},
        {"forward slashes and doubled separators", {"c/a/b"}, "C:/a\\\\b", "c/a/b"},
        {"dot components", {"c/a/b"}, "C:\\a\\.\\b", "c/a/b"},
        {"dot-dot stays inside the drive", {"c/a"}, "C:\\..\\..\\a", "c/a"},
        {"dot-dot goes up one level", {"c/a", "c/b"}, "C:\\a\\..\\b", "c/b"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir root;
        ScopedEnv drives("VDM_DRIVES", root.path().string());
        for (const std::string& folder : c.folders) fs::create_directories(root / folder);
        EXPECT_EQ(hostPath(cp1251::fromUtf8(c.windowsPath)), root / c.expected);
    }
}

TEST(DrivesTest, DrivesRootDefaultsToMnt) {
    for (std::optional<std::string> value :
         {std::optional<std::string>(), std::optional<std::string>("")}) {
        ScopedEnv drives("VDM_DRIVES", value);
        EXPECT_EQ(signin::drivesRoot(), fs::path("/mnt"));
        const fs::path path = hostPath("C:\\rv-no-such-folder-3f9a\\f.mdb");
        EXPECT_TRUE(path == "/mnt/c/rv-no-such-folder-3f9a/f.mdb" ||
                    path == "/mnt/c:/rv-no-such-folder-3f9a/f.mdb")
            << path;
    }
}

TEST(DrivesTest, PathWithoutDriveStaysRelative) {
    TempDir root;
    ScopedEnv drives("VDM_DRIVES", root.path().string());
    EXPECT_TRUE(hostPath("dbtrener.mdb").is_relative());
    EXPECT_EQ(hostPath("sub\\db.mdb").filename(), "db.mdb");
}

}  // namespace
