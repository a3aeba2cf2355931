#include "Cp1251.h"
#include "LayoutIndicator.h"
#include "PanelFit.h"
#include "ScopedEnv.h"
#include "Text.h"
#include "X11Session.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QElapsedTimer>

#include <X11/XKBlib.h>
#include <X11/Xlib.h>

#include <cstdlib>

namespace {

// The indicator's text once it says `wanted`, or what it said when the deadline passed.
std::string waitForText(session::LayoutIndicator& indicator, const std::string& wanted) {
    QElapsedTimer clock;
    clock.start();
    std::string shown;
    do {
        QApplication::processEvents(QEventLoop::AllEvents, 50);
        shown = cp1251::toUtf8(ui::fromQString(indicator.text()));
    } while (shown != wanted && clock.elapsed() < kStateDeadlineMs);
    return shown;
}

class SessionDisplayTest : public ::testing::Test {
protected:
    // A connection held for the whole test, as the session holds one: an X server resets when
    // its last client leaves, and a client connecting during the reset is turned away.
    void SetUp() override {
        ASSERT_TRUE(x.ok()) << x.problem();
        keeper_ = XOpenDisplay(x.display().toLocal8Bit().constData());
        ASSERT_NE(keeper_, nullptr);
    }
    void TearDown() override {
        if (keeper_) XCloseDisplay(keeper_);
    }

    // The layouts as the session sets them up, on this test's own X server.
    void setLayouts(const QString& layouts) {
        x.tool(QStringLiteral("setxkbmap"),
               {QStringLiteral("-layout"), layouts, QStringLiteral("-option"),
                QStringLiteral("grp:alt_shift_toggle")});
    }

    // What a student's Alt+Shift does, without the keys: the group locked from outside.
    void lockGroup(int group) {
        Display* display = XOpenDisplay(x.display().toLocal8Bit().constData());
        ASSERT_NE(display, nullptr);
        XkbLockGroup(display, XkbUseCoreKbd, static_cast<unsigned>(group));
        XSync(display, False);
        XCloseDisplay(display);
    }

    X11Session x;
    ScopedEnv display{"DISPLAY", x.display().toStdString()};
    Display* keeper_ = nullptr;
};

TEST_F(SessionDisplayTest, IndicatorFollowsTheActiveGroupInTheSessionsOrder) {
    // First: the X server resets itself, layouts and all, when its last client leaves.
    session::LayoutIndicator indicator;
    setLayouts(QStringLiteral("us,ru"));
    EXPECT_EQ(waitForText(indicator, "Раскладка: ЛАТ (Alt+Shift)"), "Раскладка: ЛАТ (Alt+Shift)");
    EXPECT_FALSE(indicator.isHidden());
    lockGroup(1);
    EXPECT_EQ(waitForText(indicator, "Раскладка: РУС (Alt+Shift)"), "Раскладка: РУС (Alt+Shift)");

    // Set up the other way round, group 0 is Russian.
    setLayouts(QStringLiteral("ru,us"));
    lockGroup(0);
    EXPECT_EQ(waitForText(indicator, "Раскладка: РУС (Alt+Shift)"), "Раскладка: РУС (Alt+Shift)");
    lockGroup(1);
    EXPECT_EQ(waitForText(indicator, "Раскладка: ЛАТ (Alt+Shift)"), "Раскладка: ЛАТ (Alt+Shift)");
}

TEST_F(SessionDisplayTest, ScaleIsAskedForFromTheScreensSize) {
    const std::optional<QSize> size = session::displaySize();
    ASSERT_TRUE(size);
    EXPECT_EQ(*size, QSize(1280, 1024));  // the test server's screen
    {
        ScopedEnv none("QT_SCALE_FACTOR", std::nullopt);
        EXPECT_DOUBLE_EQ(session::prepareScale(), 1.256);
        EXPECT_STREQ(std::getenv("QT_SCALE_FACTOR"), "1.256");
    }
    {
        // A technician's own scale stands.
        ScopedEnv own("QT_SCALE_FACTOR", "2");
        EXPECT_DOUBLE_EQ(session::prepareScale(), 1.0);
        EXPECT_STREQ(std::getenv("QT_SCALE_FACTOR"), "2");
    }
}

TEST(SessionNoDisplay, NothingIsScaledAndNoLayoutShown) {
    ScopedEnv noDisplay("DISPLAY", std::nullopt);
    ScopedEnv none("QT_SCALE_FACTOR", std::nullopt);
    EXPECT_FALSE(session::displaySize());
    EXPECT_DOUBLE_EQ(session::prepareScale(), 1.0);
    EXPECT_EQ(std::getenv("QT_SCALE_FACTOR"), nullptr);
    session::LayoutIndicator indicator;
    EXPECT_TRUE(indicator.isHidden());
}

}  // namespace
