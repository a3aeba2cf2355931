#include "Cp1251.h"
#include "QtWindowServices.h"
#include "Text.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include <functional>

namespace {

// What the real box looked like while it was up, and which button the test pressed.
struct Seen {
    bool shown = false;
    QWidget* parent = nullptr;
    QString title, text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QStringList buttons;
    QString defaultButton;
    bool topmost = false;
};

// Looks at the real modal box as soon as it is up, then presses one of its buttons.
Seen inspectThenPress(QMessageBox::StandardButton press, const std::function<void()>& show) {
    Seen seen;
    std::function<void()> poll = [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) {
            QTimer::singleShot(10, poll);
            return;
        }
        seen.shown = true;
        seen.parent = box->parentWidget();
        seen.title = box->windowTitle();
        seen.text = box->text();
        seen.icon = box->icon();
        for (QAbstractButton* b : box->buttons()) seen.buttons << b->text();
        if (box->defaultButton()) seen.defaultButton = box->defaultButton()->text();
        seen.topmost = box->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
        box->button(press)->click();
    };
    QTimer::singleShot(0, poll);
    show();
    return seen;
}

const std::string kTitle = cp1251::fromUtf8("Сообщение программы \"Рулевион\"");
const std::string kText = cp1251::fromUtf8("ОШИБКА\n\nТекст   \n\n");

TEST(QtWindowServices, BoxTypesMapToIconsButtonsAndStacking) {
    ui::QtWindowServices services;
    QWidget owner;
    struct Case {
        ui::BoxType type;
        QWidget* owner;
        QMessageBox::StandardButton press;
        int answer;
        QMessageBox::Icon icon;
        QStringList buttons;
        QString defaultButton;
        bool topmost;
    } cases[] = {
        // clang-format off
        {ui::kBoxError, &owner, QMessageBox::Ok, ui::kAnswerOk, QMessageBox::Warning,
         {"OK"}, "OK", false},
        {ui::kBoxError, nullptr, QMessageBox::Ok, ui::kAnswerOk, QMessageBox::Warning,
         {"OK"}, "OK", false},
        {ui::kBoxSignInError, &owner, QMessageBox::Ok, ui::kAnswerOk, QMessageBox::Warning,
         {"OK"}, "OK", true},
        {ui::kBoxDrivingQuestion, &owner, QMessageBox::Yes, ui::kAnswerYes, QMessageBox::Question,
         {"Да", "Нет"}, "Нет", true},
        {ui::kBoxDrivingQuestion, &owner, QMessageBox::No, ui::kAnswerNo, QMessageBox::Question,
         {"Да", "Нет"}, "Нет", true},
        // clang-format on
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<unsigned>(c.type));
        int answer = 0;
        const Seen seen = inspectThenPress(
            c.press, [&] { answer = services.messageBox(c.owner, kText, kTitle, c.type); });
        ASSERT_TRUE(seen.shown);
        EXPECT_EQ(answer, c.answer);
        EXPECT_EQ(seen.parent, c.owner);
        EXPECT_EQ(seen.title, QString::fromUtf8("Сообщение программы \"Рулевион\""));
        EXPECT_EQ(seen.text, ui::toQString(kText));  // blanks and line feeds kept
        EXPECT_EQ(seen.icon, c.icon);
        QStringList buttons = seen.buttons;
        buttons.sort();
        QStringList expected = c.buttons;
        expected.sort();
        EXPECT_EQ(buttons, expected);
        EXPECT_EQ(seen.defaultButton, c.defaultButton);
        EXPECT_EQ(seen.topmost, c.topmost);
    }
}

TEST(QtWindowServices, EngineBoxIsAPlainOkBoxWithTheApplicationTitle) {
    ui::QtWindowServices services;
    const Seen seen = inspectThenPress(QMessageBox::Ok, [&] {
        services.engineErrorBox(cp1251::fromUtf8("Файл базы данных повреждён."));
    });
    ASSERT_TRUE(seen.shown);
    EXPECT_EQ(seen.title, QApplication::applicationDisplayName());
    EXPECT_EQ(seen.text, QString::fromUtf8("Файл базы данных повреждён."));
    EXPECT_EQ(seen.icon, QMessageBox::NoIcon);
    EXPECT_EQ(seen.buttons, QStringList{"OK"});
}

TEST(Text, CharactersWithoutCp1251FormBecomeQuestionMarks) {
    EXPECT_EQ(ui::fromQString(QString::fromUtf8("Ёж №5 日本")), cp1251::fromUtf8("Ёж №5 ??"));
    const std::string all = [] {
        std::string s;
        for (int b = 1; b < 256; ++b)
            if (b != 0x98) s += static_cast<char>(b);
        return s;
    }();
    EXPECT_EQ(ui::fromQString(ui::toQString(all)), all);
}

}  // namespace
