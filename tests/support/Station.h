#pragma once

#include "Child.h"
#include "FakeSignInView.h"
#include "RecordingServices.h"
#include "SignIn.h"
#include "TempDir.h"

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

inline const std::filesystem::perms kReadOnlyFile = std::filesystem::perms::owner_read |
                                                    std::filesystem::perms::group_read |
                                                    std::filesystem::perms::others_read;

// The database's paths on drives C: and D:, as the boxes name them; written out here rather
// than taken from the program, so that a wrong path there shows.
inline const std::string kPathC = "C:\\dat_ulmo\\as_dbase\\trener\\01\\dbtrener.mdb";
inline const std::string kPathD = "D:\\dat_ulmo\\as_dbase\\trener\\01\\dbtrener.mdb";

// A station folder and the drives folder its monitor file points into (drive C:). The drives
// root is handed to the sign-in through VDM_DRIVES for as long as the object lives.
class Station {
public:
    Station();
    ~Station();
    Station(const Station&) = delete;
    Station& operator=(const Station&) = delete;

    const std::filesystem::path& folder() const { return folder_; }
    const std::filesystem::path& drives() const { return drives_; }
    std::filesystem::path databaseFile() const;

    void monitor(const std::string& bytes) const;
    // Puts bytes at the database's place on drive C:, making its folders.
    void database(const std::string& bytes) const;
    // Copies a file of tests/data there.
    void databaseFrom(const std::string& dataFile) const;

    // The file's bytes, or nullopt when there is nothing at that name; a link, a pipe or a
    // folder is named as such.
    std::optional<std::string> file(const std::string& name) const;
    // Opens the folders up to the unprivileged user of runWithDeadline(body, deadline, true).
    void openToEveryone() const;

private:
    TempDir dir_;
    std::filesystem::path folder_;
    std::filesystem::path drives_;
    std::optional<std::string> previousDrives_;
};

std::string dataBytes(const std::string& relative);

// How a sign-in ended, as the shell and the user see it.
struct SignInRun {
    ui::RecordingServices services;
    FakeSignInView view;
    SignInState state;
    DatabaseObjects db;
    std::optional<int> ended;  // the status the process ended with
};

// Presses OK on the entry typed (CP1251) in the current directory, in a child of
// runWithDeadline. What judge says of the run, ended or not, is the child's report; a run that
// ends the process ends the child with its status.
std::string pressOk(SignInRun& run, const std::string& typed,
                    const std::function<std::string(SignInRun&)>& judge);

// The slot a test expects for the database engine's own description; no message has it.
inline constexpr SlotId kEngineBox{};

// One box a test expects.
struct Box {
    SlotId slot = kEngineBox;
    std::string appended;
};

// Empty when the boxes shown are those expected, else what differs.
std::string compareBoxes(const SignInRun& run, const std::vector<Box>& expected);
