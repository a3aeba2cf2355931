#include "StationUser.h"

#include <QFile>

#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

namespace station {
namespace {

std::optional<StationUser> fromEntry(const passwd* pw) {
    if (!pw) return std::nullopt;
    StationUser user;
    user.name = QString::fromLocal8Bit(pw->pw_name);
    user.uid = pw->pw_uid;
    user.gid = pw->pw_gid;
    int count = 32;
    for (int tries = 0; tries < 4; ++tries) {
        std::vector<gid_t> groups(static_cast<std::size_t>(count));
        int n = count;
        if (getgrouplist(pw->pw_name, pw->pw_gid, groups.data(), &n) >= 0) {
            groups.resize(static_cast<std::size_t>(n));
            user.groups = std::move(groups);
            return user;
        }
        count = n > count ? n : count * 2;
    }
    user.groups = {pw->pw_gid};
    return user;
}

}  // namespace

std::optional<StationUser> lookUpUser(const QString& nameOrUid) {
    bool isNumber = false;
    const uint uid = nameOrUid.toUInt(&isNumber);
    if (isNumber) return fromEntry(getpwuid(static_cast<uid_t>(uid)));
    return fromEntry(getpwnam(QFile::encodeName(nameOrUid).constData()));
}

std::optional<StationUser> folderOwner(const QString& folder) {
    struct stat st {};
    if (stat(QFile::encodeName(folder).constData(), &st) != 0 || st.st_uid == 0)
        return std::nullopt;
    return fromEntry(getpwuid(st.st_uid));
}

int runAsUser(const StationUser& user, const std::function<int()>& work) {
    std::fflush(nullptr);
    const pid_t child = fork();
    if (child < 0) return kCouldNotBecomeUser;
    if (child == 0) {
        // Groups first: once the uid is dropped they can no longer be changed.
        if (setgroups(user.groups.size(), user.groups.data()) != 0 || setgid(user.gid) != 0 ||
            setuid(user.uid) != 0 || (user.uid != 0 && setuid(0) == 0))
            _exit(255);
        const int status = work();
        std::fflush(nullptr);
        _exit(status & 0xFF);
    }
    int status = 0;
    while (waitpid(child, &status, 0) < 0)
        if (errno != EINTR) return kDiedAsUser;
    if (!WIFEXITED(status)) return kDiedAsUser;
    return WEXITSTATUS(status) == 255 ? kCouldNotBecomeUser : WEXITSTATUS(status);
}

}  // namespace station
