#include "DialogUnits.h"

#include <QFontInfo>
#include <gtest/gtest.h>

namespace {

// The panel's layout in its base units gives the picture's exact size and a seamless top row.
TEST(DialogUnits, PanelUnitsGiveThePictureSize) {
    const ui::DialogUnits units(14, 29);
    EXPECT_EQ(units.rect(0, 0, 291, 158).size(), QSize(1019, 573));
    EXPECT_EQ(units.rect(0, 16, 0, 0).top(), 58);
    // Neighbouring buttons of the top row meet without overlapping.
    EXPECT_LT(units.rect(0, 0, 72, 16).right(), units.rect(73, 0, 72, 16).left());
    EXPECT_EQ(units.rect(219, 0, 72, 16).right(), 1018);
}

TEST(DialogUnits, RoundsAsTheWindowSystemDoes) {
    const ui::DialogUnits units(6, 13);
    EXPECT_EQ(units.x(2), 3);    // 12 / 4
    EXPECT_EQ(units.x(1), 2);    // 1.5 rounds up
    EXPECT_EQ(units.y(1), 2);    // 1.625
    EXPECT_EQ(units.y(-1), -2);  // away from zero
}

TEST(DialogUnits, SubstituteFontResolvesAndBaseUnitsFollowIt) {
    ASSERT_TRUE(ui::installFontSubstitutes()) << "Liberation Sans missing (fonts-liberation2)";
    const QFont font = ui::dialogFont(18, true);
    EXPECT_EQ(QFontInfo(font).family(), QStringLiteral("Liberation Sans"));
    EXPECT_EQ(font.pixelSize(), 24);
    const ui::DialogUnits units = ui::DialogUnits::fromFont(ui::dialogFont(10, true));
    EXPECT_GT(units.baseX(), 4);
    EXPECT_GT(units.baseY(), 10);
}

}  // namespace
