#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Ids of messageText, by what each text is for. A type of their own, so that neither a slot nor
// a bare number is taken for one; text::kX names them.
enum class TextId : std::int32_t {
    kBoxTitle = 0,  // the same text as the catalogue's caption
    kExitCaption = 1,
    kTrainerCaption = 2,
    kHelpCaption = 4,
    kCannotCreateHandOff = 5,
    kReturnCaption = 7,
    kCancelCaption = 11,
    kOkCaption = 12,
    kPasswordTitle = 13,
    kPasswordPrompt = 14,
    kWrongPassword = 15,
    kCannotOpenPasswordFile = 23,
    kCannotReadPasswordFile = 24,
    kBrokenPasswordFile = 25,
    kCannotOpenHandOff = 31,
    kCannotWriteHandOff = 32,
    kRecordBookPrompt = 33,
    kSignedInLabel = 34,
    kDrivingCaption = 35,
    // The station session's own texts.
    kLayoutCaption = 101,
    kLayoutRussian = 102,
    kLayoutLatin = 103,
    kHelpCloseCaption = 104,
    kCannotOpenHelp = 105,
    kTrainerFailed = 106,
    kExercisesFailed = 107,
    kRetryHint = 108,
};
namespace text {
using enum TextId;
}

// The catalogue's filled slots, by what each message reports; slot::kX names them.
enum class SlotId : int {
    kNoDatabaseFile = 15,
    kCannotOpenDatabase = 16,
    kNoStudentsTable = 114,
    kStudentNotFound = 115,
    kCannotCreateRecord = 116,
    kCannotWriteRecord = 117,
    kCannotOpenStudents = 118,
    kCannotOpenMonitor = 123,
    kCannotReadMonitor = 124,
    kWrongMonitor = 125,
    kDrivingQuestion = 137,
};
namespace slot {
using enum SlotId;
}

// The slots' texts by number, read by a slot's id; a slot without a text is empty.
class SlotTexts {
public:
    static constexpr int kCount = 200;

    const std::string& operator[](SlotId id) const { return texts_[static_cast<std::size_t>(id)]; }
    std::string& operator[](SlotId id) { return texts_[static_cast<std::size_t>(id)]; }
    // By number, for walking the whole table.
    const std::string& operator[](std::size_t number) const { return texts_[number]; }
    auto begin() const { return texts_.begin(); }
    auto end() const { return texts_.end(); }

private:
    std::array<std::string, kCount> texts_;
};

// The texts the program shows, as CP1251 bytes.
class MessageCatalogue {
public:
    static constexpr int kSlotCount = SlotTexts::kCount;

    MessageCatalogue();

    std::string caption;
    SlotTexts slotTexts;
};

// The one program-wide catalogue, complete before the application starts.
const MessageCatalogue& catalogue();

// A fresh copy of the text of id; the empty string for an id without a text.
std::string messageText(TextId id);

// The texts by the names the help document's source quotes them with, which are those of the
// ids above without their k: slotNamed("StudentNotFound") is slot::kStudentNotFound.
// nullopt for a name that names no text.
std::optional<SlotId> slotNamed(std::string_view name);
std::optional<TextId> textIdNamed(std::string_view name);
std::vector<std::string_view> slotNames();
std::vector<std::string_view> textNames();
