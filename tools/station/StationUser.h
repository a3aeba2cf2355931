#pragma once

#include <QString>

#include <sys/types.h>

#include <functional>
#include <optional>
#include <vector>

// The user a station runs as, whom the check judges for: what root may read is no proof that
// the station's user may.
namespace station {

struct StationUser {
    QString name;
    uid_t uid = 0;
    gid_t gid = 0;
    std::vector<gid_t> groups;  // supplementary, as a login gives them
};

// The user of that name or number; nothing when the system has none.
std::optional<StationUser> lookUpUser(const QString& nameOrUid);

// The owner of the station folder when it is not root's: the station's user, as the guide sets
// the station up.
std::optional<StationUser> folderOwner(const QString& folder);

inline constexpr int kCouldNotBecomeUser = -1;
inline constexpr int kDiedAsUser = -2;

// Runs `work` in a child that has become `user` (its groups, group and uid, with no way back)
// and returns what `work` returned (0 to 254), or one of the two failures above.
int runAsUser(const StationUser& user, const std::function<int()>& work);

}  // namespace station
