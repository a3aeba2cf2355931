#include "Child.h"
#include "DialogUnits.h"
#include "MainPanelDialog.h"
#include "MessageCatalogue.h"
#include "PasswordState.h"
#include "RecordingServices.h"
#include "TempDir.h"
#include "Text.h"

#include <gtest/gtest.h>
#include <QApplication>
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
    T* control(int id) {
        return panel.findChild<T*>(QStringLiteral("control%1").arg(id));
    }
    QLineEdit* entry() { return control<QLineEdit>(MainPanelDialog::kEntry); }
    void click(int id) { QTest::mouseClick(control(id), Qt::LeftButton); }
    std::string handOff() {
        return fs::exists(dir / "vdm_out.txt") ? readFile(dir / "vdm_out.txt") : "<none>";
    }

    TempDir dir;
    ScopedCwd cwd{dir.path()};
    ui::RecordingServices services;
    SignInState signIn;
    trainer::PasswordState password;
    MainPanelDialog panel{services, signIn, password};
};

TEST_F(PanelTest, CaptionsComeFromTheCatalogueByteForByte) {
    const struct {
        int control;
        int textId;
    } captions[] = {{2, 1}, {1000, 7}, {1001, 2}, {1002, 4}, {1013, 35}};
    for (const auto& c : captions)
        EXPECT_EQ(ui::fromQString(control(c.control)->text()), messageText(c.textId)) << c.control;
    EXPECT_EQ(ui::fromQString(control<QLabel>(1006)->text()), messageText(33));
    EXPECT_EQ(control(1012)->text(), QStringLiteral("OK"));  // Latin, from the layout
    for (QPushButton* b : panel.findChildren<QPushButton*>()) {
        EXPECT_FALSE(b->isDefault()) << b->objectName().toStdString();
        EXPECT_FALSE(b->autoDefault()) << b->objectName().toStdString();
    }
}

TEST_F(PanelTest, GeometryFillsThePictureAndTopRow) {
    EXPECT_EQ(panel.size(), QSize(1019, 573));
    EXPECT_TRUE(panel.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(control(2)->geometry().left(), 0);
    EXPECT_EQ(control(1002)->geometry().right(), 1018);
    EXPECT_EQ(control(2)->geometry().height(), 58);
    auto* picture = panel.findChild<QLabel*>(QStringLiteral("picture"));
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(picture->geometry().topLeft(), QPoint(0, 58));
    EXPECT_EQ(picture->pixmap().size(), QSize(1019, 573));
    // Every caption fits its control.
    for (QPushButton* b : panel.findChildren<QPushButton*>()) {
        const int needed = b->fontMetrics().horizontalAdvance(b->text());
        EXPECT_LE(needed + 8, b->width()) << b->text().toStdString();
    }
    auto* label = control<QLabel>(1006);
    EXPECT_LE(label->fontMetrics().horizontalAdvance(label->text()), label->width());
}

TEST_F(PanelTest, TabOrderAndFocusStartInTheEntryField) {
    EXPECT_EQ(QApplication::focusWidget(), entry());
    for (int next : {1012, 1013, 1004}) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), control<QWidget>(next)) << next;
    }
    for (int id : {2, 1000, 1001, 1002}) EXPECT_EQ(control(id)->focusPolicy(), Qt::ClickFocus);
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
    SignInView& view = panel;
    const std::string line(180, 'x');
    view.setEntryText(line);
    EXPECT_EQ(ui::fromQString(entry()->text()), line);
    EXPECT_EQ(entry()->cursorPosition(), 0);  // the name, at its start, is what shows
    QTest::keyClicks(entry(), QStringLiteral("yy"));
    EXPECT_LE(entry()->text().size(), 180);
}

TEST_F(PanelTest, EachLeavingButtonWritesItsCodeAndEndsThePanel) {
    const struct {
        int control;
        const char* code;
    } cases[] = {{2, "0"}, {1000, "1"}, {1013, "5"}};
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
    click(1002);
    EXPECT_EQ(services.documents, std::vector<std::string>{"vdm03.pdf"});
    EXPECT_EQ(handOff(), "<none>");
    EXPECT_TRUE(panel.isVisible());
}

TEST(PanelStart, RemovesAllEightResultFilesAndClearsTheSignIn) {
    TempDir dir;
    ScopedCwd cwd(dir.path());
    for (const char* name : MainPanelDialog::kResultFiles)
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
    MainPanelDialog panel(services, signIn, password);
    panel.show();
    for (const char* name : MainPanelDialog::kResultFiles)
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
        click(MainPanelDialog::kDriving);
        if (c.answer) {
            ASSERT_EQ(services.boxes.size(), 1u);
            EXPECT_EQ(services.boxes[0].owner, &panel);
            EXPECT_EQ(services.boxes[0].title, catalogue().caption);
            EXPECT_EQ(services.boxes[0].text, catalogue().slots[137]);
            EXPECT_EQ(services.boxes[0].type, 0x40124u);
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
                             services.boxes[0].text == catalogue().slots[123] + "__monitor.txt";
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
    control(1013)->setFocus();
    QTest::keyClick(control(1013), Qt::Key_Return);
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
    click(MainPanelDialog::kTrainer);
    EXPECT_EQ(handOff(), "<none>");
    EXPECT_TRUE(panel.isVisible());

    answerDialog("1234", true);
    click(MainPanelDialog::kTrainer);
    EXPECT_EQ(handOff(), "2");
    EXPECT_EQ(panel.result(), QDialog::Rejected);
    EXPECT_TRUE(services.boxes.empty());
}

}  // namespace
