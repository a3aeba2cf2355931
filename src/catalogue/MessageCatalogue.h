#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Ids of messageText, by what each text is for.
namespace text {
inline constexpr std::int32_t kBoxTitle = 0;  // the same text as the catalogue's caption
inline constexpr std::int32_t kExitCaption = 1;
inline constexpr std::int32_t kTrainerCaption = 2;
inline constexpr std::int32_t kHelpCaption = 4;
inline constexpr std::int32_t kCannotCreateHandOff = 5;
inline constexpr std::int32_t kReturnCaption = 7;
inline constexpr std::int32_t kCancelCaption = 11;
inline constexpr std::int32_t kOkCaption = 12;
inline constexpr std::int32_t kPasswordTitle = 13;
inline constexpr std::int32_t kPasswordPrompt = 14;
inline constexpr std::int32_t kWrongPassword = 15;
inline constexpr std::int32_t kCannotOpenPasswordFile = 23;
inline constexpr std::int32_t kCannotReadPasswordFile = 24;
inline constexpr std::int32_t kBrokenPasswordFile = 25;
inline constexpr std::int32_t kCannotOpenHandOff = 31;
inline constexpr std::int32_t kCannotWriteHandOff = 32;
inline constexpr std::int32_t kRecordBookPrompt = 33;
inline constexpr std::int32_t kSignedInLabel = 34;
inline constexpr std::int32_t kDrivingCaption = 35;
// The station session's own texts.
inline constexpr std::int32_t kLayoutCaption = 101;
inline constexpr std::int32_t kLayoutRussian = 102;
inline constexpr std::int32_t kLayoutLatin = 103;
inline constexpr std::int32_t kHelpCloseCaption = 104;
inline constexpr std::int32_t kCannotOpenHelp = 105;
inline constexpr std::int32_t kTrainerFailed = 106;
inline constexpr std::int32_t kExercisesFailed = 107;
}  // namespace text

// The catalogue's filled slots, by what each message reports.
namespace slot {
inline constexpr int kNoDatabaseFile = 15;
inline constexpr int kCannotOpenDatabase = 16;
inline constexpr int kNoStudentsTable = 114;
inline constexpr int kStudentNotFound = 115;
inline constexpr int kCannotCreateRecord = 116;
inline constexpr int kCannotWriteRecord = 117;
inline constexpr int kCannotOpenStudents = 118;
inline constexpr int kCannotOpenMonitor = 123;
inline constexpr int kCannotReadMonitor = 124;
inline constexpr int kWrongMonitor = 125;
inline constexpr int kDrivingQuestion = 137;
}  // namespace slot

// The texts the program shows, as CP1251 bytes.
class MessageCatalogue {
public:
    static constexpr int kSlotCount = 200;

    MessageCatalogue();

    std::string caption;
    std::array<std::string, kSlotCount> slotTexts;
};

// The one program-wide catalogue, complete before the application starts.
const MessageCatalogue& catalogue();

// A fresh copy of the text of id; the empty string for an id without a text.
std::string messageText(std::int32_t id);

// The texts by the names the help document's source quotes them with, which are those of the
// constants above without their k: slotNamed("StudentNotFound") is slot::kStudentNotFound.
// -1 for a name that names no text.
int slotNamed(std::string_view name);
std::int32_t textIdNamed(std::string_view name);
std::vector<std::string_view> slotNames();
std::vector<std::string_view> textNames();
