// Every description the user can be shown is a whole CP1251 text in the system's style.
#include "Cp1251.h"
#include "ErrorText.h"

#include <gtest/gtest.h>

namespace {

using Code = jet::Error::Code;

TEST(ErrorText, EveryCodeHasAWholeCp1251Description) {
    const std::string heading = cp1251::fromUtf8("ОШИБКА\n\n");
    for (const Code code :
         {Code::Other, Code::CannotOpenFile, Code::NotADatabase, Code::TableNotFound,
          Code::TableUnreadable, Code::ColumnNotFound, Code::ColumnWrongKind, Code::DamagedData,
          Code::NotOpen, Code::NoCurrentRecord, Code::HelperMissing, Code::HelperTimedOut,
          Code::HelperCrashed, Code::MalformedReply}) {
        const jet::Error e = jet::makeError(code, "Students");
        EXPECT_EQ(e.code(), code);
        EXPECT_EQ(e.description().rfind(heading, 0), 0u) << static_cast<int>(code);
        EXPECT_GT(e.description().size(), heading.size() + 10);
        // A letter the code page lacks would have turned into '?'.
        EXPECT_EQ(e.description().find('?'), std::string::npos) << static_cast<int>(code);
        EXPECT_EQ(e.description().find('%'), std::string::npos);
        EXPECT_EQ(e.description().find('$'), std::string::npos);
        EXPECT_STREQ(e.what(), e.description().c_str());
    }
}

TEST(ErrorText, NamesTheTableOrColumn) {
    EXPECT_EQ(jet::errorText(Code::TableNotFound, "Students"),
              cp1251::fromUtf8("ОШИБКА\n\nТаблица \"Students\" не найдена в базе данных."));
    EXPECT_NE(jet::errorText(Code::ColumnNotFound, "StCount").find("\"StCount\""),
              std::string::npos);
}

// A column of a kind the sign-in cannot read is named with the kind as Access calls it; a name
// holding the marks of the template stays as it is.
TEST(ErrorText, NamesTheKindOfAnUnusableColumn) {
    const struct {
        std::uint8_t type;
        const char* kind;
    } cases[] = {{0x01, "Логический"}, {0x08, "Дата/время"}, {0x0B, "Поле объекта OLE"},
                 {0x0A, "Текстовый"},  {0x0C, "Поле MEMO"},  {0x12, "Вложение"},
                 {0x77, "неизвестный"}};
    for (const auto& c : cases)
        EXPECT_EQ(cp1251::toUtf8(jet::errorText(Code::ColumnWrongKind, "St$%", c.type)),
                  std::string("ОШИБКА\n\nСтолбец \"St$%\" имеет тип \"") + c.kind +
                      "\": программа не может прочитать его значения.");
}

}  // namespace
