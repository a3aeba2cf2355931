#pragma once

// The two places the station keeps its student database, as the Windows programs name them;
// "0" in the monitor file picks the first.
namespace signin {

inline constexpr const char* kDatabasePathD = "D:\\dat_ulmo\\as_dbase\\trener\\01\\dbtrener.mdb";
inline constexpr const char* kDatabasePathC = "C:\\dat_ulmo\\as_dbase\\trener\\01\\dbtrener.mdb";

}  // namespace signin
