#include "HelpViewer.h"
#include "MainPanelDialog.h"
#include "MessageCatalogue.h"
#include "PanelFit.h"
#include "PasswordState.h"
#include "RecordingServices.h"
#include "ScopedEnv.h"
#include "SignInState.h"
#include "StationScreen.h"
#include "StationSession.h"
#include "TempDir.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPdfDocument>
#include <QPdfView>
#include <QPdfWriter>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <filesystem>

namespace fs = std::filesystem;

namespace {

// A two-page document, written afresh for each test.
void writeHelpDocument(const fs::path& file) {
    QPdfWriter writer(QString::fromStdString(file.string()));
    QPainter painter(&writer);
    painter.drawText(200, 200, QStringLiteral("Помощь, страница 1"));
    writer.newPage();
    painter.drawText(200, 200, QStringLiteral("Помощь, страница 2"));
}

// One key as the window system delivers it, to whatever has the keyboard.
void sendKey(QEvent::Type type, int key, quint64 time, bool repeat = false,
             const QString& text = {}) {
    QWidget* target = QApplication::focusWidget();
    ASSERT_NE(target, nullptr);
    QKeyEvent event(type, key, Qt::NoModifier, text, repeat);
    event.setTimestamp(time);
    QApplication::sendEvent(target, &event);
}

class StationScreenTest : public ::testing::Test {
protected:
    StationScreenTest() {
        writeHelpDocument(dir / "vdm03.pdf");
        screen.adopt(panel, panel.typingField());
        panel.show();
        QApplication::processEvents();
    }

    std::string handOff() {
        return fs::exists(dir / "vdm_out.txt") ? readFile(dir / "vdm_out.txt") : "<none>";
    }
    QLineEdit* entry() { return panel.findChild<QLineEdit*>(QStringLiteral("recordBookEdit")); }
    QString helpPath() { return QString::fromStdString((dir / "vdm03.pdf").string()); }

    // The tests' own screen: no X display is asked, whatever the machine has.
    ScopedEnv noDisplay{"DISPLAY", std::nullopt};
    TempDir dir;
    ScopedCwd cwd{dir.path()};
    ui::RecordingServices services;
    SignInState signIn;
    trainer::PasswordState password;
    session::StationScreen screen;
    panel::MainPanelDialog panel{services, signIn, password};
};

TEST_F(StationScreenTest, PanelStandsCentredOnThePicturesColours) {
    EXPECT_FALSE(panel.isWindow());
    EXPECT_EQ(panel.window(), &screen);
    EXPECT_EQ(panel.size(), session::kPanelSize) << "the scale is reckoned with this size";
    screen.resize(1219, 773);
    QApplication::processEvents();
    EXPECT_EQ(panel.pos(), QPoint(100, 100));

    const QImage shown = screen.grab().toImage();
    const session::EdgeColours& edges = screen.edges();
    EXPECT_EQ(shown.pixelColor(600, 50), edges.top);
    EXPECT_EQ(shown.pixelColor(600, 720), edges.bottom);
    EXPECT_EQ(shown.pixelColor(50, 400), edges.left);
    EXPECT_EQ(shown.pixelColor(1170, 400), edges.right);
    // Above the panel continues the picture's sky, not the grey of the buttons' row.
    EXPECT_GT(edges.top.blue(), edges.top.red() + 40);
    EXPECT_NE(edges.bottom, QColor(Qt::black));
}

TEST_F(StationScreenTest, HelpCoversThePanelAndTakesTheKeyboard) {
    entry()->setFocus();
    ASSERT_TRUE(screen.showHelp(helpPath()));
    QApplication::processEvents();
    session::HelpViewer* help = screen.helpViewer();
    EXPECT_TRUE(help->isVisible());
    EXPECT_EQ(help->geometry(), screen.rect());
    EXPECT_EQ(help->view()->document()->pageCount(), 2);
    EXPECT_EQ(QApplication::focusWidget(), help->view());
    EXPECT_FALSE(panel.isEnabled());
    EXPECT_EQ(screen.windowTitle(), QStringLiteral("rulevion-help"));
    EXPECT_NE(help->findChild<QPushButton*>(QStringLiteral("helpCloseButton")), nullptr);
}

TEST_F(StationScreenTest, NoKeyReachesThePanelAndEscBringsItBack) {
    // As when the student clicked «Помощь»: the keyboard comes back to the field all the same.
    panel.findChild<QPushButton*>(QStringLiteral("helpButton"))->setFocus();
    ASSERT_TRUE(screen.showHelp(helpPath()));
    QApplication::processEvents();
    quint64 time = 1000;
    for (const auto& [key, text] :
         std::initializer_list<std::pair<int, QString>>{{Qt::Key_A, QStringLiteral("a")},
                                                        {Qt::Key_Return, QStringLiteral("\r")},
                                                        {Qt::Key_Tab, QStringLiteral("\t")},
                                                        {Qt::Key_PageDown, QString()}}) {
        sendKey(QEvent::KeyPress, key, time += 100, false, text);
        sendKey(QEvent::KeyRelease, key, time += 50, false, text);
    }
    sendKey(QEvent::KeyPress, Qt::Key_Escape, time += 100);
    EXPECT_TRUE(screen.helpShown()) << "closed on the release, not the press";
    sendKey(QEvent::KeyRelease, Qt::Key_Escape, time += 50);
    QApplication::processEvents();

    EXPECT_FALSE(screen.helpShown());
    EXPECT_TRUE(panel.isEnabled());
    EXPECT_TRUE(panel.isVisible());
    EXPECT_EQ(QApplication::focusWidget(), entry());
    EXPECT_EQ(screen.windowTitle(), QStringLiteral("rulevion-menu"));
    EXPECT_EQ(entry()->text(), QString());
    EXPECT_EQ(handOff(), "<none>");
}

// A held Esc: the window system repeats it as a release and a press at the same instant, marked
// as repeats or not. Neither those nor the last release reach the menu; an Esc pressed anew
// afterwards, however soon, is the menu's own Esc again.
TEST_F(StationScreenTest, HeldEscapeEndsOnlyTheHelp) {
    const struct {
        const char* name;
        bool held;
        bool marked;
    } cases[] = {{"held, repeats unmarked", true, false},
                 {"held, repeats marked", true, true},
                 {"tapped", false, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove(dir / "vdm_out.txt");
        if (!panel.isVisible()) panel.show();
        ASSERT_TRUE(screen.showHelp(helpPath()));
        QApplication::processEvents();
        quint64 time = 1000;
        sendKey(QEvent::KeyPress, Qt::Key_Escape, time);
        time += c.held ? 660 : 80;
        // With repeats unmarked the first repeat's release closes the help.
        sendKey(QEvent::KeyRelease, Qt::Key_Escape, time, c.held && c.marked);
        if (c.held) {
            if (c.marked) {
                EXPECT_TRUE(screen.helpShown());
                sendKey(QEvent::KeyPress, Qt::Key_Escape, time, true);
                for (int i = 0; i < 10; ++i) {
                    sendKey(QEvent::KeyRelease, Qt::Key_Escape, time += 40, true);
                    sendKey(QEvent::KeyPress, Qt::Key_Escape, time, true);
                }
                sendKey(QEvent::KeyRelease, Qt::Key_Escape, time += 30);
            } else {
                sendKey(QEvent::KeyPress, Qt::Key_Escape, time);
                for (int i = 0; i < 10; ++i) {
                    sendKey(QEvent::KeyRelease, Qt::Key_Escape, time += 40);
                    sendKey(QEvent::KeyPress, Qt::Key_Escape, time);
                }
                sendKey(QEvent::KeyRelease, Qt::Key_Escape, time += 30);
            }
        }
        QApplication::processEvents();
        EXPECT_FALSE(screen.helpShown());
        EXPECT_EQ(handOff(), "<none>");
        EXPECT_TRUE(panel.isVisible());

        sendKey(QEvent::KeyPress, Qt::Key_Escape, time + 60);
        QApplication::processEvents();
        EXPECT_EQ(handOff(), "0");
    }
}

TEST_F(StationScreenTest, CloseButtonBringsThePanelBack) {
    entry()->setFocus();
    ASSERT_TRUE(screen.showHelp(helpPath()));
    QApplication::processEvents();
    QTest::mouseClick(
        screen.helpViewer()->findChild<QPushButton*>(QStringLiteral("helpCloseButton")),
        Qt::LeftButton);
    QApplication::processEvents();
    EXPECT_FALSE(screen.helpShown());
    EXPECT_EQ(QApplication::focusWidget(), entry());
    // Esc goes to the menu again at once: no key of the help is pending.
    sendKey(QEvent::KeyPress, Qt::Key_Escape, 5000);
    EXPECT_EQ(handOff(), "0");
}

TEST_F(StationScreenTest, UnreadableDocumentLeavesThePanelAsItWas) {
    for (const char* bytes : {"", "not a PDF at all"}) {
        writeFile(dir / "vdm03.pdf", bytes);
        EXPECT_FALSE(screen.showHelp(helpPath())) << '"' << bytes << '"';
        EXPECT_FALSE(screen.helpShown());
        EXPECT_TRUE(panel.isEnabled());
    }
    fs::remove(dir / "vdm03.pdf");
    EXPECT_FALSE(screen.showHelp(helpPath()));
}

// The panel's Help button through the session's services: the document shows in the program,
// a missing one is a box; outside the session the desktop's viewer is asked, as always.
TEST(SessionServices, HelpButtonInAndOutOfTheSession) {
    ScopedEnv noDisplay("DISPLAY", std::nullopt);
    TempDir dir;
    ScopedCwd cwd(dir.path());
    writeHelpDocument(dir / "vdm03.pdf");
    SignInState signIn;
    trainer::PasswordState password;

    {
        ScopedEnv station("RULEVION_SESSION", "1");
        ui::RecordingServices inner;
        session::StationSession session(&inner);
        ASSERT_NE(session.screen(), nullptr);
        panel::MainPanelDialog panel(session.services(), signIn, password);
        session.adopt(panel);
        panel.show();
        QTest::mouseClick(panel.findChild<QPushButton*>(QStringLiteral("helpButton")),
                          Qt::LeftButton);
        EXPECT_TRUE(session.screen()->helpShown());
        EXPECT_TRUE(inner.documents.empty());
        EXPECT_TRUE(inner.boxes.empty());
    }
    {
        ScopedEnv station("RULEVION_SESSION", "1");
        fs::remove(dir / "vdm03.pdf");
        ui::RecordingServices inner;
        inner.answerOk();
        session::StationSession session(&inner);
        panel::MainPanelDialog panel(session.services(), signIn, password);
        session.adopt(panel);
        panel.show();
        QTest::mouseClick(panel.findChild<QPushButton*>(QStringLiteral("helpButton")),
                          Qt::LeftButton);
        EXPECT_FALSE(session.screen()->helpShown());
        ASSERT_EQ(inner.boxes.size(), 1u);
        EXPECT_EQ(inner.boxes[0].text, messageText(text::kCannotOpenHelp));
        EXPECT_TRUE(panel.isEnabled());
    }
    {
        ScopedEnv desktop("RULEVION_SESSION", std::nullopt);
        ui::RecordingServices inner;
        session::StationSession session(&inner);
        EXPECT_EQ(session.screen(), nullptr);
        panel::MainPanelDialog panel(session.services(), signIn, password);
        session.adopt(panel);
        EXPECT_TRUE(panel.isWindow());
        EXPECT_EQ(panel.pos(), QPoint(0, 0));
        panel.show();
        QTest::mouseClick(panel.findChild<QPushButton*>(QStringLiteral("helpButton")),
                          Qt::LeftButton);
        EXPECT_EQ(inner.documents, std::vector<std::string>{"vdm03.pdf"});
    }
}

// The shell's word that a command failed: one box once the panel runs, in and out of the
// session; nothing for a value the shell does not write.
TEST(SessionServices, FailedCommandsBoxComesOverTheRunningPanel) {
    ScopedEnv noDisplay("DISPLAY", std::nullopt);
    TempDir dir;
    ScopedCwd cwd(dir.path());
    const struct {
        const char* session;
        const char* failed;
        std::optional<TextId> text;  // none: no box
    } cases[] = {
        {"1", "exercises", text::kExercisesFailed},
        {nullptr, "trainer", text::kTrainerFailed},
        {"1", "wine", std::nullopt},
        {"1", nullptr, std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.failed ? c.failed : "<unset>");
        ScopedEnv station("RULEVION_SESSION",
                          c.session ? std::optional<std::string>(c.session) : std::nullopt);
        ScopedEnv failed("RULEVION_FAILED",
                         c.failed ? std::optional<std::string>(c.failed) : std::nullopt);
        ui::RecordingServices inner;
        if (c.text) inner.answerOk();
        session::StationSession session(&inner);
        SignInState signIn;
        trainer::PasswordState password;
        panel::MainPanelDialog panel(session.services(), signIn, password);
        session.adopt(panel);
        bool panelShown = false;
        inner.onBox = [&](const ui::RecordingServices::Box&) { panelShown = panel.isVisible(); };
        // Ends the run once it has begun, after anything the start queued.
        QTimer::singleShot(0, &panel, [&] { panel.done(QDialog::Rejected); });
        panel.exec();
        if (!c.text) {
            EXPECT_TRUE(inner.boxes.empty());
            continue;
        }
        ASSERT_EQ(inner.boxes.size(), 1u);
        EXPECT_EQ(inner.boxes[0].text, messageText(*c.text));
        // In the session the box stands over the screen the panel is part of.
        EXPECT_EQ(inner.boxes[0].owner, panel.window());
        EXPECT_TRUE(panelShown);
    }
}

// Whoever asks for a box, it stands over the screen alone: a dialog that asks steps aside first,
// and the keyboard goes back to the field where the student types once the screen has it again.
TEST_F(StationScreenTest, BoxStandsOverTheScreenAloneAndTheKeyboardComesBack) {
    QDialog dialog(&panel, Qt::Dialog);
    auto* button = panel.findChild<QPushButton*>(QStringLiteral("trainerButton"));
    const struct {
        const char* name;
        QWidget* owner;
    } cases[] = {{"no owner", nullptr}, {"the panel", &panel}, {"a dialog", &dialog}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.owner == &dialog) dialog.show();
        button->setFocus();
        QWidget* owner = nullptr;
        bool dialogShown = true;
        const int answer = screen.showBox(c.owner, [&](QWidget* boxOwner) {
            owner = boxOwner;
            dialogShown = dialog.isVisible();
            return int(ui::kAnswerNo);
        });
        EXPECT_EQ(answer, ui::kAnswerNo);
        EXPECT_EQ(owner, &screen);
        EXPECT_FALSE(dialogShown);
        QEvent activate(QEvent::WindowActivate);
        QApplication::sendEvent(&screen, &activate);
        EXPECT_EQ(QApplication::focusWidget(), entry());
    }
}

// The instructor's wrong password in the session: the box comes over the screen, the dialog is
// gone while it shows, and the panel runs on.
TEST(SessionServices, WrongPasswordBoxStandsOverTheScreenNotTheDialog) {
    ScopedEnv noDisplay("DISPLAY", std::nullopt);
    ScopedEnv station("RULEVION_SESSION", "1");
    TempDir dir;
    ScopedCwd cwd(dir.path());
    writeFile(dir / "vdmdat01.bin", std::string("\x3E\x89\x00\x00\xD2\x04\x00\x00", 8));
    ui::RecordingServices inner;
    inner.answerOk();
    session::StationSession session(&inner);
    SignInState signIn;
    trainer::PasswordState password;
    panel::MainPanelDialog panel(session.services(), signIn, password);
    session.adopt(panel, panel.typingField());
    panel.show();
    QApplication::processEvents();

    bool dialogShown = true;
    inner.onBox = [&](const ui::RecordingServices::Box&) {
        dialogShown = false;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->objectName() == QStringLiteral("trainerPasswordDialog") && w->isVisible())
                dialogShown = true;
    };
    // The instructor types a wrong number into the dialog once it runs, and presses OK.
    QTimer::singleShot(0, [] {
        QWidget* dialog = QApplication::activeModalWidget();
        ASSERT_NE(dialog, nullptr);
        QTest::keyClicks(dialog->findChild<QLineEdit*>(QStringLiteral("passwordEdit")),
                         QStringLiteral("999"));
        QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("okButton")),
                          Qt::LeftButton);
    });
    panel.onTrainer();
    ASSERT_EQ(inner.boxes.size(), 1u);
    EXPECT_EQ(inner.boxes[0].text, messageText(text::kWrongPassword));
    EXPECT_EQ(inner.boxes[0].owner, session.screen());
    EXPECT_FALSE(dialogShown);
    EXPECT_TRUE(panel.isVisible());
}

}  // namespace
