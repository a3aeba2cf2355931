#include "Cp1251.h"
#include "KeyboardLayout.h"
#include "MessageCatalogue.h"
#include "PanelFit.h"
#include "RecordingServices.h"
#include "SessionMode.h"
#include "StationScreen.h"
#include "StationSession.h"

#include <gtest/gtest.h>
#include <QImage>

#include <cmath>

namespace {

using session::FailedCommand;

TEST(SessionMode, OnlyTheShellsExactValuesCount) {
    const struct {
        const char* value;
        bool session;
        FailedCommand failed;
    } cases[] = {
        {nullptr, false, FailedCommand::None},
        {"", false, FailedCommand::None},
        {"1", true, FailedCommand::None},
        {"0", false, FailedCommand::None},
        {"1 ", false, FailedCommand::None},
        {"yes", false, FailedCommand::None},
        {"trainer", false, FailedCommand::Trainer},
        {"exercises", false, FailedCommand::Exercises},
        {"Trainer", false, FailedCommand::None},
        {"exercise", false, FailedCommand::None},
        {"trainer,exercises", false, FailedCommand::None},
    };
    for (const auto& c : cases) {
        const std::string shown = c.value ? c.value : "<unset>";
        EXPECT_EQ(session::sessionValueMeansSession(c.value), c.session) << shown;
        EXPECT_EQ(session::failedCommandNamed(c.value), c.failed) << shown;
    }
}

TEST(PanelFit, ScaleFillsTheScreenAsFarAsThePanelsShapeAllows) {
    const QSize panel = session::kPanelSize;
    const struct {
        QSize screen;
        double scale;
    } cases[] = {
        {{1024, 768}, 1.004},   // 4:3: the width decides, bands above and below
        {{1920, 1080}, 1.884},  // 16:9, the panel's own shape: all but a pixel filled
        {{1280, 1024}, 1.256}, {{3840, 2160}, 3.768},
        {{2560, 1080}, 1.884},  // wider than the panel: the height decides
        {{800, 600}, 0.785},    // smaller than the panel: shrunk, never cut
        {{1019, 573}, 1.0},    {{0, 0}, 1.0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.screen.width() << "x" << c.screen.height());
        const double scale = session::fittingScale(c.screen, panel);
        EXPECT_DOUBLE_EQ(scale, c.scale);
        if (c.screen.isEmpty()) continue;
        // The scaled screen never comes out smaller than the panel...
        EXPECT_GE(c.screen.width() / scale, panel.width());
        EXPECT_GE(c.screen.height() / scale, panel.height());
        // ...and the panel fills one of its sides but for a pixel.
        const double unusedX = c.screen.width() - panel.width() * scale;
        const double unusedY = c.screen.height() - panel.height() * scale;
        EXPECT_LT(std::min(unusedX, unusedY), 2.5);
    }
}

TEST(PanelFit, PanelStandsInTheMiddleButKeepsItsButtonsOnScreen) {
    const QSize panel = session::kPanelSize;
    const struct {
        QSize screen;  // as the scaled screen comes out
        QPoint at;
    } cases[] = {
        {{1020, 765}, {0, 96}},  // 1024x768 at 1.004
        {{1019, 573}, {0, 0}},  {{1359, 573}, {170, 0}},
        {{1019, 574}, {0, 0}},   // an odd pixel goes below
        {{800, 600}, {0, 13}},   // narrower than the panel: its left edge stays
        {{1200, 500}, {90, 0}},  // lower than the panel: its top row stays
    };
    for (const auto& c : cases)
        EXPECT_EQ(session::centredAt(c.screen, panel), c.at)
            << c.screen.width() << "x" << c.screen.height();
}

TEST(KeyboardLayout, RulesNamesGiveTheLayoutOfEachGroup) {
    using namespace std::string_literals;
    const struct {
        std::string property;
        std::vector<std::string> layouts;
        std::string options;
    } cases[] = {
        {"evdev\0pc105\0us,ru\0,\0grp:alt_shift_toggle\0"s, {"us", "ru"}, "grp:alt_shift_toggle"},
        {"evdev\0pc105\0ru,us\0\0grp:caps_toggle,terminate:ctrl_alt_bksp\0"s,
         {"ru", "us"},
         "grp:caps_toggle,terminate:ctrl_alt_bksp"},
        {"evdev\0pc105\0us\0"s, {"us"}, ""},  // cut short: no options
        {""s, {}, ""},
    };
    for (const auto& c : cases) {
        const session::KeyboardNames names = session::parseRulesNames(c.property);
        EXPECT_EQ(names.layouts, c.layouts);
        EXPECT_EQ(names.options, c.options);
    }
    const session::KeyboardNames two{{"us", "ru"}, ""};
    EXPECT_EQ(session::layoutOfGroup(two, 0), "us");
    EXPECT_EQ(session::layoutOfGroup(two, 1), "ru");
    EXPECT_EQ(session::layoutOfGroup(two, 2), "");
    EXPECT_EQ(session::layoutOfGroup(two, -1), "");
}

TEST(KeyboardLayout, IndicatorNamesTheLayoutAndItsSwitch) {
    EXPECT_EQ(session::switchKeys("grp:alt_shift_toggle"), "Alt+Shift");
    EXPECT_EQ(session::switchKeys("terminate:ctrl_alt_bksp,grp:ctrl_shift_toggle"), "Ctrl+Shift");
    EXPECT_EQ(session::switchKeys("grp:alt_shift_toggle_bidir"), "");
    EXPECT_EQ(session::switchKeys(""), "");

    const struct {
        const char* layout;
        const char* keys;
        const char* shown;
    } cases[] = {
        {"ru", "Alt+Shift", "Раскладка: РУС (Alt+Shift)"},
        {"us", "Alt+Shift", "Раскладка: ЛАТ (Alt+Shift)"},
        {"us", "", "Раскладка: ЛАТ"},
        {"de", "Caps Lock", "Раскладка: DE (Caps Lock)"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(cp1251::toUtf8(session::indicatorText(c.layout, c.keys)), c.shown);
}

TEST(StationScreen, EdgeColoursAverageEachSide) {
    QImage image(4, 3, QImage::Format_RGB32);
    image.fill(QColor(0, 255, 0));
    for (int x = 0; x < 4; ++x) {
        image.setPixelColor(x, 0, QColor(255, 0, 0));
        image.setPixelColor(x, 2, QColor(0, 0, 255));
    }
    image.setPixelColor(3, 1, QColor(255, 255, 255));
    const session::EdgeColours edges = session::edgeColours(image);
    EXPECT_EQ(edges.top, QColor(255, 0, 0));
    EXPECT_EQ(edges.bottom, QColor(0, 0, 255));
    EXPECT_EQ(edges.left, QColor(85, 85, 85));
    EXPECT_EQ(edges.right, QColor(170, 85, 170));
}

TEST(FailureBox, SaysWhatDidNotStartAndToCallTheInstructor) {
    const struct {
        FailedCommand failed;
        TextId text;
        const char* what;
    } cases[] = {
        {FailedCommand::Trainer, text::kTrainerFailed, "Программа тренера не запустилась"},
        {FailedCommand::Exercises, text::kExercisesFailed, "Ездовые упражнения не запустились"},
    };
    QWidget owner;
    for (const auto& c : cases) {
        ui::RecordingServices services;
        services.answerOk();
        session::showFailureBox(services, &owner, c.failed);
        ASSERT_EQ(services.boxes.size(), 1u);
        const ui::RecordingServices::Box& box = services.boxes[0];
        EXPECT_EQ(box.owner, &owner);
        EXPECT_EQ(box.text, messageText(c.text));
        EXPECT_EQ(box.title, messageText(text::kBoxTitle));
        EXPECT_EQ(box.type, ui::kBoxError);
        const std::string shown = cp1251::toUtf8(box.text);
        EXPECT_NE(shown.find(c.what), std::string::npos) << shown;
        EXPECT_NE(shown.find("Позовите инструктора"), std::string::npos) << shown;
    }
    ui::RecordingServices none;
    session::showFailureBox(none, &owner, FailedCommand::None);
    EXPECT_TRUE(none.boxes.empty());
}

}  // namespace
