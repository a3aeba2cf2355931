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
          Code::TableUnreadable, Code::ColumnNotFound, Code::DamagedData, Code::NotOpen,
          Code::NoCurrentRecord, Code::HelperMissing, Code::HelperTimedOut, Code::HelperCrashed,
          Code::MalformedReply}) {
        const jet::Error e = jet::makeError(code, "Students");
        EXPECT_EQ(e.code(), code);
        EXPECT_EQ(e.description().rfind(heading, 0), 0u) << static_cast<int>(code);
        EXPECT_GT(e.description().size(), heading.size() + 10);
        // A letter the code page lacks would have turned into '?'.
        EXPECT_EQ(e.description().find('?'), std::string::npos) << static_cast<int>(code);
        EXPECT_EQ(e.description().find('%'), std::string::npos);
        EXPECT_STREQ(e.what(), e.description().c_str());
    }
}

TEST(ErrorText, NamesTheTableOrColumn) {
    EXPECT_EQ(jet::errorText(Code::TableNotFound, "Students"),
              cp1251::fromUtf8("ОШИБКА\n\nТаблица \"Students\" не найдена в базе данных."));
    EXPECT_NE(jet::errorText(Code::ColumnNotFound, "StCount").find("\"StCount\""),
              std::string::npos);
}

}  // namespace
