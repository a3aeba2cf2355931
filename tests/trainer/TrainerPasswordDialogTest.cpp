#include "DialogUnits.h"
#include "MessageCatalogue.h"
#include "PasswordFile.h"
#include "Text.h"
#include "TrainerFixture.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QTest>
#include <QWindow>

#include <cstdlib>
#include <functional>

namespace {

QLineEdit* field(trainer::TrainerPasswordDialog& dialog) {
    return dialog.findChild<QLineEdit*>("passwordEdit");
}
QPushButton* okButton(trainer::TrainerPasswordDialog& dialog) {
    return dialog.findChild<QPushButton*>("okButton");
}
QPushButton* cancelButton(trainer::TrainerPasswordDialog& dialog) {
    return dialog.findChild<QPushButton*>("cancelButton");
}

// The keyboard goes where the user's would: to the widget that has the focus.
void waitForFocus(trainer::TrainerPasswordDialog& dialog) {
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    ASSERT_NE(QApplication::focusWidget(), nullptr);
}
void press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::keyClick(QApplication::focusWidget(), static_cast<Qt::Key>(key), modifiers);
}

void expectWrongPasswordBox(const ui::RecordingServices& services, trainer::TrainerPasswordDialog* owner) {
    ASSERT_EQ(services.boxes.size(), 1u);
    EXPECT_EQ(services.boxes[0].text, messageText(text::kWrongPassword));
    EXPECT_EQ(services.boxes[0].title, messageText(text::kBoxTitle));
    EXPECT_EQ(services.boxes[0].type, ui::kBoxError);
    EXPECT_EQ(services.boxes[0].owner, owner);
}

struct TypedCase {
    const char* typed;
    std::int32_t stored;
    bool accepted;
};

TEST_F(TrainerTest, TypedPasswordIsComparedAsANumber) {
    const TypedCase cases[] = {
        {"", 0, true},
        {"0", 0, true},
        {"000", 0, true},
        {"0123", 123, true},
        {"2147483647", INT32_MAX, true},
        {"124", 123, false},
        {"", 123, false},
        {"123", -123, false},
        {"99999999999", INT32_MAX, false},  // out of range, not clamped
        {"2147483648", INT32_MIN, false},   // out of range, not wrapped
        {"4294967296", 0, false},
    };
    for (const TypedCase& c : cases) {
        SCOPED_TRACE(std::string("typed \"") + c.typed + "\" against " + std::to_string(c.stored));
        writePasswordFile(c.stored);
        services.boxes.clear();
        if (!c.accepted) services.answerOk();  // the wrong password's box
        trainer::TrainerPasswordDialog* shown = nullptr;
        const int result = runDialog(services, state, [&](trainer::TrainerPasswordDialog& dialog) {
            shown = &dialog;
            QTest::keyClicks(field(dialog), c.typed);
            EXPECT_EQ(field(dialog)->text(), c.typed);
            QTest::mouseClick(okButton(dialog), Qt::LeftButton);
        });
        EXPECT_EQ(result, c.accepted ? QDialog::Accepted : QDialog::Rejected);
        EXPECT_EQ(state.typedPassword, c.typed);
        if (c.accepted)
            EXPECT_TRUE(services.boxes.empty());
        else
            expectWrongPasswordBox(services, shown);
    }
    EXPECT_FALSE(handedOver());
}

// Each run reads the file again: a password changed between two runs holds at once.
TEST_F(TrainerTest, PasswordFileIsReadAfreshOnEveryRun) {
    auto typeAndConfirm = [&](const char* typed) {
        return runDialog(services, state, [&](trainer::TrainerPasswordDialog& dialog) {
            EXPECT_EQ(field(dialog)->text(), "") << "a fresh dialog starts empty";
            QTest::keyClicks(field(dialog), typed);
            QTest::mouseClick(okButton(dialog), Qt::LeftButton);
        });
    };
    writePasswordFile(111);
    EXPECT_EQ(typeAndConfirm("111"), QDialog::Accepted);
    writePasswordFile(222);
    services.answerOk();  // the wrong password's box
    EXPECT_EQ(typeAndConfirm("111"), QDialog::Rejected);
    EXPECT_EQ(services.boxes.size(), 1u);
    EXPECT_EQ(typeAndConfirm("222"), QDialog::Accepted);
    EXPECT_EQ(services.boxes.size(), 1u);
    EXPECT_EQ(state.storedPassword, 222);
}

struct KeyCase {
    const char* name;
    const char* typed;  // into the field, which has the focus
    std::function<void(trainer::TrainerPasswordDialog&)> act;
    int result;
    bool wrongPasswordBox;
};

// The right password is 4711 throughout.
TEST_F(TrainerTest, KeysAndCloseBoxEndTheDialogAsTheStationsDialogsDo) {
    const KeyCase cases[] = {
        {"Enter in the field", "4711", [](auto&) { press(Qt::Key_Return); }, QDialog::Accepted,
         false},
        {"keypad Enter in the field", "4711",
         [](auto&) { press(Qt::Key_Enter, Qt::KeypadModifier); }, QDialog::Accepted, false},
        {"Enter with a wrong password", "4712", [](auto&) { press(Qt::Key_Return); },
         QDialog::Rejected, true},
        {"Escape", "4711", [](auto&) { press(Qt::Key_Escape); }, QDialog::Rejected, false},
        {"close box", "4711",
         [](trainer::TrainerPasswordDialog& dialog) {
             QCloseEvent close;
             QApplication::sendEvent(dialog.windowHandle(), &close);
         },
         QDialog::Rejected, false},
        {"Cancel clicked", "4711",
         [](trainer::TrainerPasswordDialog& dialog) {
             QTest::mouseClick(cancelButton(dialog), Qt::LeftButton);
         },
         QDialog::Rejected, false},
        {"Enter on the focused Cancel button", "4711",
         [](auto&) {
             press(Qt::Key_Tab);
             ASSERT_EQ(QApplication::focusWidget()->objectName(), "cancelButton");
             press(Qt::Key_Return);
         },
         QDialog::Rejected, false},
        {"Space on the focused OK button", "4711",
         [](auto&) {
             press(Qt::Key_Tab);
             press(Qt::Key_Tab);
             ASSERT_EQ(QApplication::focusWidget()->objectName(), "okButton");
             press(Qt::Key_Space);
         },
         QDialog::Accepted, false},
    };
    writePasswordFile(4711);
    for (const KeyCase& c : cases) {
        SCOPED_TRACE(c.name);
        services.boxes.clear();
        if (c.wrongPasswordBox) services.answerOk();
        trainer::TrainerPasswordDialog* shown = nullptr;
        const int result = runDialog(services, state, [&](trainer::TrainerPasswordDialog& dialog) {
            shown = &dialog;
            waitForFocus(dialog);
            ASSERT_EQ(QApplication::focusWidget(), field(dialog));
            QTest::keyClicks(QApplication::focusWidget(), c.typed);
            c.act(dialog);
        });
        EXPECT_EQ(result, c.result);
        if (c.wrongPasswordBox)
            expectWrongPasswordBox(services, shown);
        else
            EXPECT_TRUE(services.boxes.empty());
    }
    EXPECT_FALSE(handedOver());
}

TEST_F(TrainerTest, TabOrderRunsFieldCancelOk) {
    writePasswordFile(1);
    runDialog(services, state, [&](trainer::TrainerPasswordDialog& dialog) {
        waitForFocus(dialog);
        const char* order[] = {"passwordEdit", "cancelButton", "okButton", "passwordEdit"};
        for (const char* name : order) {
            EXPECT_EQ(QApplication::focusWidget()->objectName(), name);
            press(Qt::Key_Tab);
        }
        dialog.reject();
    });
}

// Only digits reach the field, by any road, and no more of them than the check reads.
TEST_F(TrainerTest, FieldTakesOnlyDigitsWhetherTypedOrPasted) {
    writePasswordFile(123);
    const int result = runDialog(services, state, [&](trainer::TrainerPasswordDialog& dialog) {
        waitForFocus(dialog);
        QLineEdit* edit = field(dialog);
        EXPECT_EQ(edit->echoMode(), QLineEdit::Password);

        QTest::keyClicks(edit, "1a2-b 3");
        EXPECT_EQ(edit->text(), "123");
        edit->clear();

        QApplication::clipboard()->setText("12ab3");
        QTest::keySequence(edit, QKeySequence::Paste);
        EXPECT_TRUE(edit->text().isEmpty() || edit->text() == "123") << edit->text().toStdString();
        edit->clear();
        edit->insert("-7");
        EXPECT_EQ(edit->text(), "");

        QApplication::clipboard()->setText("0123");
        QTest::keySequence(edit, QKeySequence::Paste);
        EXPECT_EQ(edit->text(), "0123") << "a paste of digits must still work";

        edit->clear();
        QApplication::clipboard()->setText(QString(250, '7'));
        QTest::keySequence(edit, QKeySequence::Paste);
        EXPECT_EQ(edit->text(), QString(199, '7'));
        QTest::keyClicks(edit, "7");
        EXPECT_EQ(edit->text().size(), 199);

        edit->setText("0123");
        press(Qt::Key_Return);
    });
    EXPECT_EQ(result, QDialog::Accepted);
    QApplication::clipboard()->clear();
}

// The layout as it comes up: texts, window kind, geometry in dialog units, nothing clipped.
// With RV_SCREENSHOT_DIR set, the dialog is also saved there as a picture to look at.
TEST_F(TrainerTest, LayoutShowsAllTextsUnclipped) {
    writePasswordFile(1);
    runDialog(services, state, [&](trainer::TrainerPasswordDialog& dialog) {
        EXPECT_EQ(dialog.parentWidget(), nullptr);
        EXPECT_EQ(dialog.windowModality(), Qt::ApplicationModal);
        const Qt::WindowFlags flags = dialog.windowFlags();
        EXPECT_TRUE(flags & Qt::WindowTitleHint);
        EXPECT_TRUE(flags & Qt::WindowCloseButtonHint);
        EXPECT_FALSE(flags & Qt::WindowContextHelpButtonHint);
        EXPECT_FALSE(flags & Qt::FramelessWindowHint);
        EXPECT_EQ(dialog.windowTitle(), ui::toQString(messageText(text::kPasswordTitle)));

        auto* label = dialog.findChild<QLabel*>("promptLabel");
        auto* group = dialog.findChild<QGroupBox*>("groupBox");
        ASSERT_TRUE(label && group);
        EXPECT_EQ(label->text(), ui::toQString(messageText(text::kPasswordPrompt)));
        EXPECT_EQ(okButton(dialog)->text(), ui::toQString(messageText(text::kOkCaption)));
        EXPECT_EQ(cancelButton(dialog)->text(), ui::toQString(messageText(text::kCancelCaption)));
        EXPECT_TRUE(group->title().isEmpty());
        for (QPushButton* button : {okButton(dialog), cancelButton(dialog)}) {
            EXPECT_FALSE(button->isDefault());
            EXPECT_FALSE(button->autoDefault());
        }

        const ui::DialogUnits units = ui::DialogUnits::fromFont(ui::dialogFont(10, true));
        EXPECT_EQ(dialog.size(), QSize(units.x(136), units.y(69)));
        EXPECT_EQ(field(dialog)->geometry(), units.rect(7, 23, 119, 14));
        EXPECT_EQ(okButton(dialog)->geometry(), units.rect(3, 49, 60, 14));
        EXPECT_EQ(cancelButton(dialog)->geometry(), units.rect(72, 49, 60, 14));
        EXPECT_EQ(label->geometry(), units.rect(7, 9, 119, 8));
        EXPECT_TRUE(group->geometry().contains(label->geometry()));
        EXPECT_TRUE(group->geometry().contains(field(dialog)->geometry()));
        EXPECT_TRUE(dialog.rect().contains(group->geometry()));
        EXPECT_TRUE(dialog.rect().contains(cancelButton(dialog)->geometry()));

        const QFontMetrics metrics(label->font());
        EXPECT_EQ(QFontInfo(label->font()).family(), "Liberation Sans");
        EXPECT_TRUE(QFontInfo(label->font()).bold());
        EXPECT_LE(metrics.horizontalAdvance(label->text()), label->contentsRect().width());
        EXPECT_LE(metrics.height(), label->contentsRect().height());
        for (QPushButton* button : {okButton(dialog), cancelButton(dialog)}) {
            const int margin =
                button->style()->pixelMetric(QStyle::PM_ButtonMargin, nullptr, button);
            EXPECT_LE(metrics.horizontalAdvance(button->text()) + 2 * margin, button->width());
            EXPECT_LE(metrics.height(), button->height());
        }
        EXPECT_LE(metrics.height(), field(dialog)->height());

        if (const char* out = std::getenv("RV_SCREENSHOT_DIR")) {
            QTest::keyClicks(field(dialog), "4711");
            dialog.grab().save(QString::fromLocal8Bit(out) + "/trainer-password-dialog.png");
        }
        dialog.reject();
    });
}

}  // namespace
