#include "Child.h"
#include "Cp1251.h"
#include "DialogUnits.h"
#include "MainPanelDialog.h"
#include "MessageCatalogue.h"
#include "PasswordState.h"
#include "RecordingServices.h"
#include "TempDir.h"
#include "Text.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <filesystem>

namespace fs = std::filesystem;

namespace {

class PanelTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ui::installFontSubstitutes(); }

    PanelTest() {
        panel.show();
        QApplication::processEvents();
    }

    template <typename T = QPushButton>
    T* control(const char* name) {
        T* found = panel.findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    QLineEdit* entry() { return control<QLineEdit>("recordBookEdit"); }
    void click(const char* name) { QTest::mouseClick(control(name), Qt::LeftButton); }
    std::string handOff() {
        return fs::exists(dir / "vdm_out.txt") ? readFile(dir / "vdm_out.txt") : "<none>";
    }

    TempDir dir;
    ScopedCwd cwd{dir.path()};
    ui::RecordingServices services;
    SignInState signIn;
    trainer::PasswordState password;
    panel::MainPanelDialog panel{services, signIn, password};
};

TEST_F(PanelTest, CaptionsComeFromTheCatalogueByteForByte) {
    const struct {
        const char* control;
        TextId textId;
    } captions[] = {{"exitButton", text::kExitCaption},
                    {"returnButton", text::kReturnCaption},
                    {"trainerButton", text::kTrainerCaption},
                    {"helpButton", text::kHelpCaption},
                    {"drivingButton", text::kDrivingCaption}};
    for (const auto& c : captions)
        EXPECT_EQ(ui::fromQString(control(c.control)->text()), messageText(c.textId)) << c.control;
    EXPECT_EQ(ui::fromQString(control<QLabel>("promptLabel")->text()),
              messageText(text::kRecordBookPrompt));
    EXPECT_EQ(control("signInButton")->text(), QStringLiteral("OK"));  // Latin, from the layout
    for (QPushButton* b : panel.findChildren<QPushButton*>()) {
        EXPECT_FALSE(b->isDefault()) << b->objectName().toStdString();
        EXPECT_FALSE(b->autoDefault()) << b->objectName().toStdString();
    }
}

TEST_F(PanelTest, GeometryFillsThePictureAndTopRow) {
    EXPECT_EQ(panel.size(), QSize(1019, 573));
    EXPECT_TRUE(panel.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(control("exitButton")->geometry().left(), 0);
    EXPECT_EQ(control("helpButton")->geometry().right(), 1018);
    EXPECT_EQ(control("exitButton")->geometry().height(), 58);
    auto* picture = panel.findChild<QLabel*>(QStringLiteral("picture"));
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(picture->geometry().topLeft(), QPoint(0, 58));
    EXPECT_EQ(picture->pixmap().size(), QSize(1019, 573));
    // Every caption fits its control.
    for (QPushButton* b : panel.findChildren<QPushButton*>()) {
        const int needed = b->fontMetrics().horizontalAdvance(b->text());
        EXPECT_LE(needed + 8, b->width()) << b->text().toStdString();
    }
    auto* label = control<QLabel>("promptLabel");
    EXPECT_LE(label->fontMetrics().horizontalAdvance(label->text()), label->width());
}

TEST_F(PanelTest, TabOrderAndFocusStartInTheEntryField) {
    EXPECT_EQ(QApplication::focusWidget(), entry());
    for (const char* next : {"signInButton", "drivingButton", "recordBookEdit"}) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), control<QWidget>(next)) << next;
    }
    for (const char* name : {"exitButton", "returnButton", "trainerButton", "helpButton"})
        EXPECT_EQ(control(name)->focusPolicy(), Qt::ClickFocus) << name;
}

TEST_F(PanelTest, EntryTakesAtMostOneHundredCharacters) {
    QTest::keyClicks(entry(), QString(120, QChar('7')));
    EXPECT_EQ(entry()->text().size(), 100);
    entry()->clear();
    entry()->insert(QString(150, QChar('a')));  // a paste is held to the same limit
    EXPECT_EQ(entry()->text().size(), 100);
}

// What the sign-in shows is not cut to the typing limit.
TEST_F(PanelTest, SignedInLineLongerThanTheLimitIsShownWhole) {
    panel::SignInView& view = panel;
    const std::string line(180, 'x');
    view.setEntryText(line);
    EXPECT_EQ(ui::fromQString(entry()->text()), line);
    EXPECT_EQ(entry()->cursorPosition(), 0);  // the name, at its start, is what shows
    QTest::keyClicks(entry(), QStringLiteral("yy"));
    EXPECT_LE(entry()->text().size(), 180);
}

// The student reads his whole signed-in line, name, number and group, in the field: a long line
// is set smaller, never below a legible size, and is the tooltip too; typing keeps the font.
TEST_F(PanelTest, SignedInLineIsReadableWholeInTheField) {
    const QFont typing = entry()->font();
    EXPECT_EQ(typing, panel.font());
    QTest::keyClicks(entry(), QStringLiteral("12345"));
    EXPECT_EQ(entry()->font(), typing);

    const struct {
        const char* utf8;
        bool smaller;
    } lines[] = {
        {"Лебедева Екатерина Андреевна  (№12345678 в группе \"ПДД-24/1\")", true},
        {"Ян Ли  (№1 в группе \"2\")", false},
    };
    for (const auto& line : lines) {
        SCOPED_TRACE(line.utf8);
        panel::SignInView& view = panel;
        view.setEntryText(cp1251::fromUtf8(line.utf8));
        const QString shown = entry()->text();
        EXPECT_EQ(shown, QString::fromUtf8(line.utf8));
        EXPECT_EQ(entry()->toolTip(), shown);
        const QFont font = entry()->font();
        EXPECT_EQ(font.pixelSize() < typing.pixelSize(), line.smaller) << font.pixelSize();
        EXPECT_GE(font.pixelSize(), 10);  // 7.5 points
        EXPECT_LE(QFontMetrics(font).horizontalAdvance(shown), entry()->contentsRect().width());
        // Nothing scrolled out of sight: with the cursor at the end the start still shows.
        entry()->setCursorPosition(static_cast<int>(shown.size()));
        EXPECT_EQ(entry()->cursorPositionAt(QPoint(4, entry()->height() / 2)), 0);
        EXPECT_EQ(entry()->cursorPositionAt(QPoint(entry()->width() - 4, entry()->height() / 2)),
                  shown.size());

        QTest::keyClick(entry(), Qt::Key_Backspace);  // edited again: typing as before
        EXPECT_EQ(entry()->font(), typing);
        EXPECT_TRUE(entry()->toolTip().isEmpty());
        EXPECT_EQ(entry()->text().size(), shown.size() - 1);
    }
}

TEST_F(PanelTest, EachLeavingButtonWritesItsCodeAndEndsThePanel) {
    const struct {
        const char* control;
        const char* code;
    } cases[] = {{"exitButton", "0"}, {"returnButton", "1"}, {"drivingButton", "5"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.control);
        writeFile(dir / "vdm_out.txt", "9999");
        panel.setResult(-1);
        click(c.control);
        EXPECT_EQ(handOff(), c.code);
        EXPECT_EQ(panel.result(), QDialog::Rejected);
    }
    EXPECT_TRUE(services.boxes.empty());
}

TEST_F(PanelTest, EscapeAndCloseRequestActAsExit) {
    panel.setResult(-1);
    QTest::keyClick(entry(), Qt::Key_Escape);
    EXPECT_EQ(handOff(), "0");
    fs::remove(dir / "vdm_out.txt");
    panel.show();
    panel.close();
    EXPECT_EQ(handOff(), "0");
}

TEST_F(PanelTest, HelpOpensTheDocumentAndLeavesThePanelAlone) {
    click("helpButton");
    EXPECT_EQ(services.documents, std::vector<std::string>{"vdm03.pdf"});
    EXPECT_EQ(handOff(), "<none>");
    EXPECT_TRUE(panel.isVisible());
}

TEST(PanelStart, RemovesAllEightResultFilesAndClearsTheSignIn) {
    TempDir dir;
    ScopedCwd cwd(dir.path());
    for (const char* name : panel::MainPanelDialog::kResultFiles)
        if (std::string(name) != "db3b.out") writeFile(dir / name, "old");
    writeFile(dir / "db6.out", "not ours");
    fs::create_directory(dir / "db3b.out");  // cannot be removed: passed over
    writeFile(dir / "db3b.out" / "x", "x");
    ui::RecordingServices services;
    SignInState signIn;
    signIn.signInAttempted = true;
    signIn.StName = "old";
    signIn.StCount = 7;
    trainer::PasswordState password;
    panel::MainPanelDialog panel(services, signIn, password);
    panel.show();
    for (const char* name : panel::MainPanelDialog::kResultFiles)
        EXPECT_EQ(fs::exists(dir / name), std::string(name) == "db3b.out") << name;
    EXPECT_TRUE(fs::exists(dir / "db6.out"));
    EXPECT_FALSE(signIn.signInAttempted);
    EXPECT_EQ(signIn.StName, "");
    EXPECT_EQ(signIn.StCount, 0);
}

// The question before unbooked driving exercises.
TEST_F(PanelTest, DrivingWarningTable) {
    struct Case {
        const char* name;
        QString typed;
        bool signInPressed;
        int answer;  // 0: no box expected
        const char* handOff;
    } cases[] = {
        {"empty field", "", false, 0, "5"},
        {"spaces only", "   ", false, 0, "5"},
        {"typed, answered No", "12345", false, ui::kAnswerNo, "<none>"},
        {"typed, answered Yes", "12345", false, ui::kAnswerYes, "5"},
        {"leading blank then digits", " 1", false, ui::kAnswerNo, "<none>"},
        {"tab is content", "\t", false, ui::kAnswerNo, "<none>"},
        {"after OK was pressed", "12345", true, 0, "5"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        services.boxes.clear();
        fs::remove(dir / "vdm_out.txt");
        signIn.signInAttempted = c.signInPressed;
        entry()->setText(c.typed);
        if (c.answer) services.answerNext(c.answer);
        click("drivingButton");
        if (c.answer) {
            ASSERT_EQ(services.boxes.size(), 1u);
            EXPECT_EQ(services.boxes[0].owner, &panel);
            EXPECT_EQ(services.boxes[0].title, catalogue().caption);
            EXPECT_EQ(services.boxes[0].text, catalogue().slotTexts[slot::kDrivingQuestion]);
            EXPECT_EQ(services.boxes[0].type, ui::kBoxDrivingQuestion);
        } else {
            EXPECT_TRUE(services.boxes.empty());
        }
        EXPECT_EQ(handOff(), c.handOff);
        if (!c.signInPressed) {
            EXPECT_EQ(signIn.recordBookText, ui::fromQString(c.typed));
        }
    }
}

// Enter in the entry field signs in as OK does and never ends the panel without a decision.
TEST_F(PanelTest, EnterInTheEntryFieldSignsInInsteadOfEndingThePanel) {
    panel.setResult(-1);
    QTest::keyClick(entry(), Qt::Key_Return);  // blank: nothing at all
    EXPECT_TRUE(panel.isVisible());
    EXPECT_FALSE(signIn.signInAttempted);
    EXPECT_EQ(handOff(), "<none>");

    entry()->setText("12345");
    // No monitor file here: the sign-in reports it and takes the fatal exit, in a child.
    const ChildResult child = runWithDeadline([&] {
        services.answerOk();
        services.onEnd = [&](int) {
            const bool box = services.boxes.size() == 1 &&
                             services.boxes[0].text ==
                                 catalogue().slotTexts[slot::kCannotOpenMonitor] + "__monitor.txt";
            reportToParent(std::string(signIn.signInAttempted ? "signed in" : "no sign-in") +
                           (box ? ", the monitor file's box" : ", other boxes"));
        };
        // The keypad's Enter, as a number is typed on the keypad.
        QTest::keyClick(entry(), Qt::Key_Enter, Qt::KeypadModifier);
        return std::string(", the panel went on");
    });
    ASSERT_TRUE(child.finished) << "the sign-in hung";
    EXPECT_EQ(child.status, 0);
    EXPECT_EQ(child.report, "signed in, the monitor file's box");
    EXPECT_EQ(handOff(), "1");
}

TEST_F(PanelTest, EnterOnAFocusedButtonPressesIt) {
    control("drivingButton")->setFocus();
    QTest::keyClick(control("drivingButton"), Qt::Key_Return);
    EXPECT_EQ(handOff(), "5");
}

// Cancel leaves the panel as it was, and the Trainer button can be pressed again.
TEST_F(PanelTest, TrainerCancelledThenAgainWithTheRightPassword) {
    writeFile(dir / "vdmdat01.bin", std::string("\x3E\x89\x00\x00\xD2\x04\x00\x00", 8));  // 1234
    auto answerDialog = [](const char* typed, bool ok) {
        QTimer::singleShot(0, [typed, ok] {
            QWidget* dialog = QApplication::activeModalWidget();
            ASSERT_NE(dialog, nullptr);
            auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("passwordEdit"));
            ASSERT_NE(edit, nullptr);
            QTest::keyClicks(edit, QString::fromLatin1(typed));
            auto* button = dialog->findChild<QPushButton*>(ok ? QStringLiteral("okButton")
                                                              : QStringLiteral("cancelButton"));
            QTest::mouseClick(button, Qt::LeftButton);
        });
    };
    answerDialog("1234", false);
    click("trainerButton");
    EXPECT_EQ(handOff(), "<none>");
    EXPECT_TRUE(panel.isVisible());

    answerDialog("1234", true);
    click("trainerButton");
    EXPECT_EQ(handOff(), "2");
    EXPECT_EQ(panel.result(), QDialog::Rejected);
    EXPECT_TRUE(services.boxes.empty());
}

}  // namespace
