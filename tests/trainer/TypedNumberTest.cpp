#include "TypedNumber.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace {

struct Case {
    std::string text;
    std::optional<std::int32_t> value;  // none: out of range, matches no password
};

// Texts the digits-only field cannot produce are here too: the conversion is the station's
// atol reading, whatever reaches it.
TEST(TypedNumber, ReadsAsAtolDoesAndRefusesWhatDoesNotFit) {
    const Case cases[] = {
        {"", 0},
        {"0", 0},
        {"000", 0},
        {"0123", 123},
        {" 42", 42},
        {" \t\n\v\f\r42", 42},
        {"+42", 42},
        {"-7", -7},
        {"-0", 0},
        {"12abc", 12},
        {"12 34", 12},
        {"abc", 0},
        {"-", 0},
        {"+", 0},
        {"   ", 0},
        {"- 5", 0},
        {"+-5", 0},
        {"0x1A", 0},
        {"\xA0"
         "5",
         0},  // CP1251's no-break space is not white space to atol
        {"2147483647", INT32_MAX},
        {"-2147483648", INT32_MIN},
        {"00000000000000000000002147483647", INT32_MAX},
        {"2147483648", std::nullopt},
        {"-2147483649", std::nullopt},
        {"4294967296", std::nullopt},   // would wrap to 0
        {"4294967297", std::nullopt},   // would wrap to 1
        {"99999999999", std::nullopt},  // would clamp to the highest value
        {std::string(300, '9'), std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("text \"" + c.text + "\"");
        EXPECT_EQ(trainer::typedNumber(c.text), c.value);
    }
}

// Only the working copy's 199 characters are read: what lies beyond is never looked at.
TEST(TypedNumber, ReadsNoFurtherThanTheWorkingCopy) {
    const std::string zeros(trainer::kWorkingCopyLength, '0');
    EXPECT_EQ(trainer::typedNumber(zeros + "5"), 0);
    EXPECT_EQ(trainer::typedNumber(std::string(trainer::kWorkingCopyLength - 1, '0') + "5"), 5);
    EXPECT_EQ(trainer::typedNumber(std::string(trainer::kWorkingCopyLength, ' ') + "5"), 0);
    // A copy cut off in the middle of a number reads the part that is in it.
    EXPECT_EQ(trainer::typedNumber(std::string(trainer::kWorkingCopyLength - 2, '0') + "123"), 12);
}

}  // namespace
