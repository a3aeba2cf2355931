#include "Cp1251.h"
#include "MessageCatalogue.h"

#include <gtest/gtest.h>

#include <string>
#include <type_traits>

namespace {

// CP1251 bytes of the few letters the table below needs, so that expectations are written
// independently of the UTF-8 literals in the catalogue.
std::string bytes(std::initializer_list<int> codes) {
    std::string out;
    for (int c : codes) out += static_cast<char>(c);
    return out;
}

const std::string kOshibka = bytes({0xCE, 0xD8, 0xC8, 0xC1, 0xCA, 0xC0});  // ОШИБКА

struct TextCase {
    const char* name;
    std::string actual;
    std::string prefix;  // expected first bytes
    std::string suffix;  // expected last bytes
    size_t leadBlanks;
    size_t endBlanks;  // before any final line feeds
};

size_t countLead(const std::string& s) {
    return s.find_first_not_of(' ');
}
size_t countEnd(const std::string& s) {
    const size_t lastText = s.find_last_not_of('\n');
    size_t n = 0;
    for (size_t i = lastText; i != std::string::npos && s[i] == ' '; --i) ++n;
    return n;
}

TEST(Catalogue, TextsHaveTheirExactEnds) {
    const MessageCatalogue& c = catalogue();
    const TextCase cases[] = {
        {"NoDatabaseFile", c.slotTexts[slot::kNoDatabaseFile], kOshibka + "\n\n",
         std::string(6, ' ') + "\n\n", 0, 6},
        {"CannotOpenDatabase", c.slotTexts[slot::kCannotOpenDatabase], kOshibka + "\n\n",
         std::string(6, ' ') + "\n\n", 0, 6},
        {"NoStudentsTable", c.slotTexts[slot::kNoStudentsTable], kOshibka + "\n\n", ".      ", 0,
         6},
        {"CannotCreateRecord", c.slotTexts[slot::kCannotCreateRecord], kOshibka + "\n\n",
         "\"db1.out\".   ", 0, 3},
        {"CannotWriteRecord", c.slotTexts[slot::kCannotWriteRecord], kOshibka + "\n\n",
         "\"db1.out\".   ", 0, 3},
        {"CannotOpenStudents", c.slotTexts[slot::kCannotOpenStudents], kOshibka + "\n\n", ".      ",
         0, 6},
        {"CannotOpenMonitor", c.slotTexts[slot::kCannotOpenMonitor], kOshibka + "\n\n", ":    \n\n",
         0, 4},
        {"CannotReadMonitor", c.slotTexts[slot::kCannotReadMonitor], kOshibka + "\n\n", ":    \n\n",
         0, 4},
        {"WrongMonitor", c.slotTexts[slot::kWrongMonitor], kOshibka + "\n\n", ":    \n\n", 0, 4},
        {"CannotOpenPasswordFile", messageText(text::kCannotOpenPasswordFile),
         kOshibka + "\n" + bytes({0xCF}), "\"vdmdat01.bin\".   ", 0, 3},
        {"CannotReadPasswordFile", messageText(text::kCannotReadPasswordFile),
         kOshibka + "\n" + bytes({0xCF}), "\"vdmdat01.bin\".   ", 0, 3},
        {"BrokenPasswordFile", messageText(text::kBrokenPasswordFile),
         kOshibka + "\n" + bytes({0xCD}), "\"vdmdat01.bin\".   ", 0, 3},
        {"CannotOpenHandOff", messageText(text::kCannotOpenHandOff),
         kOshibka + "\n" + bytes({0xCF}), "\"vdm_out.txt\".   ", 0, 3},
        {"CannotWriteHandOff", messageText(text::kCannotWriteHandOff),
         kOshibka + "\n" + bytes({0xCF}), "\"vdm_out.txt\".   ", 0, 3},
        {"RecordBookPrompt", messageText(text::kRecordBookPrompt), " " + bytes({0xC2}), ":", 1, 0},
        {"SignedInLabel", messageText(text::kSignedInLabel), " " + bytes({0xC2}), ":", 1, 0},
    };
    for (const TextCase& t : cases) {
        SCOPED_TRACE(t.name);
        ASSERT_GE(t.actual.size(), t.prefix.size() + t.suffix.size());
        EXPECT_EQ(t.actual.substr(0, t.prefix.size()), t.prefix);
        EXPECT_EQ(t.actual.substr(t.actual.size() - t.suffix.size()), t.suffix);
        EXPECT_EQ(countLead(t.actual), t.leadBlanks);
        EXPECT_EQ(countEnd(t.actual), t.endBlanks);
        EXPECT_EQ(t.actual.find('\r'), std::string::npos);
    }
}

TEST(Catalogue, WholeTextsByteForByte) {
    const MessageCatalogue& c = catalogue();
    // Сообщение программы "Рулевион"
    const std::string caption =
        bytes({0xD1, 0xEE, 0xEE, 0xE1, 0xF9, 0xE5, 0xED, 0xE8, 0xE5}) + " " +
        bytes({0xEF, 0xF0, 0xEE, 0xE3, 0xF0, 0xE0, 0xEC, 0xEC, 0xFB}) + " \"" +
        bytes({0xD0, 0xF3, 0xEB, 0xE5, 0xE2, 0xE8, 0xEE, 0xED}) + "\"";
    EXPECT_EQ(c.caption, caption);
    EXPECT_EQ(messageText(text::kBoxTitle), caption);
    EXPECT_EQ(messageText(text::kExitCaption),
              bytes({0xC2, ' ', 0xDB, ' ', 0xD5, ' ', 0xCE, ' ', 0xC4}));
    EXPECT_EQ(messageText(text::kTrainerCaption),
              bytes({0xD2, ' ', 0xF0, ' ', 0xE5, ' ', 0xED, ' ', 0xE5, ' ', 0xF0}));
    EXPECT_EQ(messageText(text::kHelpCaption),
              bytes({0xCF, ' ', 0xEE, ' ', 0xEC, ' ', 0xEE, ' ', 0xF9, ' ', 0xFC}));
    EXPECT_EQ(messageText(text::kReturnCaption),
              bytes({0xC2, ' ', 0xEE, ' ', 0xE7, ' ', 0xE2, ' ', 0xF0, ' ', 0xE0, ' ', 0xF2}));
    EXPECT_EQ(messageText(text::kCancelCaption), bytes({0xCE, 0xF2, 0xEC, 0xE5, 0xED, 0xE0}));
    EXPECT_EQ(messageText(text::kOkCaption), bytes({206, 202}));  // Cyrillic, not Latin OK
    EXPECT_EQ(messageText(text::kWrongPassword), cp1251::fromUtf8("Пароль неправильный"));
    EXPECT_EQ(messageText(text::kRecordBookPrompt).substr(0, 9),
              bytes({' ', 0xC2, 0xE2, 0xE5, 0xE4, 0xE8, 0xF2, 0xE5, ' '}));
    EXPECT_NE(messageText(text::kRecordBookPrompt).find(static_cast<char>(0xB9)),
              std::string::npos);  // №
}

TEST(Catalogue, LineFeedsAndQuotedOk) {
    const MessageCatalogue& c = catalogue();
    const std::string& s115 = c.slotTexts[slot::kStudentNotFound];
    const size_t firstBreak = s115.find('\n');
    ASSERT_NE(firstBreak, std::string::npos);
    EXPECT_EQ(s115.substr(firstBreak - 1, 5), ".\n\n\n" + bytes({0xCF}));
    EXPECT_EQ(s115.substr(firstBreak + 3, 16), bytes({0xCF, 0xD0, 0xC5, 0xC4, 0xD3, 0xCF, 0xD0,
                                                      0xC5, 0xC6, 0xC4, 0xC5, 0xCD, 0xC8, 0xC5}) +
                                                   "\n\n");
    EXPECT_EQ(s115.back(), '.');

    const std::string& s137 = c.slotTexts[slot::kDrivingQuestion];
    EXPECT_NE(s137.find("  \"OK\",  "), std::string::npos);  // Latin letters, two blanks each side
    EXPECT_EQ(s137.substr(s137.size() - 1), "?");
    EXPECT_EQ(std::count(s137.begin(), s137.end(), '\n'), 4);
}

TEST(Catalogue, EmptySlotsAndUnknownIds) {
    const MessageCatalogue& c = catalogue();
    const SlotId filled[] = {
        slot::kNoDatabaseFile,     slot::kCannotOpenDatabase, slot::kNoStudentsTable,
        slot::kStudentNotFound,    slot::kCannotCreateRecord, slot::kCannotWriteRecord,
        slot::kCannotOpenStudents, slot::kCannotOpenMonitor,  slot::kCannotReadMonitor,
        slot::kWrongMonitor,       slot::kDrivingQuestion};
    for (int slot = 0; slot < MessageCatalogue::kSlotCount; ++slot) {
        const bool isFilled =
            std::find(std::begin(filled), std::end(filled), SlotId{slot}) != std::end(filled);
        EXPECT_EQ(c.slotTexts[static_cast<size_t>(slot)].empty(), !isFilled) << "slot " << slot;
    }
    for (std::int32_t id : {-1, 3, 6, 36, 137, 1000, INT32_MIN, INT32_MAX})
        EXPECT_EQ(messageText(TextId{id}), "") << id;
}

TEST(Catalogue, MessageTextHandsOutFreshCopies) {
    std::string first = messageText(text::kPasswordPrompt);
    const std::string second = messageText(text::kPasswordPrompt);
    first[0] = 'x';
    EXPECT_NE(first, second);
    EXPECT_EQ(messageText(text::kPasswordPrompt), second);
}

TEST(Cp1251, RoundTripsEveryByteAndMarksTheUnmappable) {
    for (int b = 1; b < 256; ++b) {
        if (b == 0x98) continue;  // the one unassigned byte
        const std::string one(1, static_cast<char>(b));
        EXPECT_EQ(cp1251::fromUtf8(cp1251::toUtf8(one)), one) << b;
    }
    EXPECT_EQ(cp1251::fromUtf8("Ёж ё № €"), bytes({0xA8, 0xE6, ' ', 0xB8, ' ', 0xB9, ' ', 0x88}));
    EXPECT_EQ(cp1251::fromUtf8("日本 \xF0\x9F\x9A\x97"), "?? ?");  // no CP1251 form
    EXPECT_EQ(cp1251::fromUtf8("a\xC3"), "a?");                    // cut sequence
    EXPECT_EQ(cp1251::fromUtf8("\xC0\x80"), "?");                  // overlong
    EXPECT_EQ(cp1251::fromUtf8(std::string("a\0b", 3)), std::string("a\0b", 3));
}

// A slot, a bare number or another text's id in the place of a text id was once a silent wrong
// text (slot 15 and text 15 are different messages); now it does not compile.
static_assert(!std::is_invocable_v<decltype(&messageText), SlotId>);
static_assert(!std::is_invocable_v<decltype(&messageText), int>);
static_assert(std::is_invocable_v<decltype(&messageText), TextId>);
template <class Id>
concept IndexesSlotTexts = requires(const SlotTexts& texts, Id id) {
    texts[id];
};
static_assert(IndexesSlotTexts<SlotId>);
static_assert(!IndexesSlotTexts<TextId>);

}  // namespace
