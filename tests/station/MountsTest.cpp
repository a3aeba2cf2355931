// The system's mount tables as the station check reads them.
#include "Mounts.h"

#include <gtest/gtest.h>

namespace {

const std::string kFstab =
    "# /etc/fstab: static file system information.\n"
    "UUID=1234 / ext4 errors=remount-ro 0 1\n"
    "UUID=5678 none swap sw 0 0\n"
    "/dev/sdb1 /mnt ext4 defaults 0 2\n"
    "//server/dat /mnt/c cifs credentials=/etc/cred,_netdev 0 0\n"
    "  # //server/old /mnt/d cifs\n"
    "//server/my\\040share /srv/my\\040drives/d/ cifs _netdev 0 0\n";

TEST(Mounts, FindsTheNearestFstabEntryOnThePath) {
    const struct {
        const char* path;
        const char* source;  // nullptr: no entry
        const char* mountPoint;
    } cases[] = {
        {"/mnt/c/dat_ulmo/as_dbase/trener/01/dbtrener.mdb", "//server/dat", "/mnt/c"},
        {"/mnt/c", "//server/dat", "/mnt/c"},
        {"/mnt/cc/x.mdb", "/dev/sdb1", "/mnt"},  // a name that only starts like the mount point
        {"/mnt/d/x.mdb", "/dev/sdb1", "/mnt"},   // the commented entry does not count
        {"/srv/my drives/d/x.mdb", "//server/my share", "/srv/my drives/d"},
        {"/home/station/x.mdb", nullptr, nullptr},  // only the root folder holds it
        {"/mnt/c/../d/x.mdb", "/dev/sdb1", "/mnt"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        const auto entry = station::fstabEntryFor(kFstab, c.path);
        ASSERT_EQ(entry.has_value(), c.source != nullptr);
        if (!entry) continue;
        EXPECT_EQ(entry->source, c.source);
        EXPECT_EQ(entry->mountPoint, c.mountPoint);
    }
    EXPECT_FALSE(station::fstabEntryFor("", "/mnt/c/x.mdb"));
    EXPECT_FALSE(station::fstabEntryFor("garbage\n\n#\n", "/mnt/c/x.mdb"));
}

TEST(Mounts, TellsWhatIsMounted) {
    const std::string mounts =
        "/dev/sda1 / ext4 rw 0 0\n"
        "//server/dat /mnt/c cifs rw 0 0\n"
        "//server/my\\040share /srv/my\\040drives/d cifs rw 0 0\n";
    EXPECT_TRUE(station::isMountedOn(mounts, "/mnt/c"));
    EXPECT_TRUE(station::isMountedOn(mounts, "/mnt/c/"));
    EXPECT_TRUE(station::isMountedOn(mounts, "/srv/my drives/d"));
    EXPECT_FALSE(station::isMountedOn(mounts, "/mnt/d"));
    EXPECT_FALSE(station::isMountedOn(mounts, "/mnt"));
    EXPECT_FALSE(station::isMountedOn("", "/mnt/c"));
}

}  // namespace
