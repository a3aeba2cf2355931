#include "Cp1251.h"
#include "MessageCatalogue.h"
#include "PanelFit.h"
#include "TempDir.h"
#include "X11Session.h"

#include <gtest/gtest.h>
#include <QElapsedTimer>
#include <QPainter>
#include <QPdfWriter>
#include <QThread>

#include <filesystem>
#include <optional>

namespace fs = std::filesystem;

namespace {

// The real program in the station session on a private X server with no window manager: one
// window the size of the screen, the help shown in it and closed by a real Esc.
class SessionProgram : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(x.ok()) << x.problem();
        writeFile(dir / "__monitor.txt", "monitor\r\n1024x768\r\n1\r\n");
        QPdfWriter writer(QString::fromStdString((dir / "vdm03.pdf").string()));
        QPainter painter(&writer);
        painter.drawText(200, 200, QStringLiteral("Помощь"));
    }

    std::string handOff() {
        return fs::exists(dir / "vdm_out.txt") ? readFile(dir / "vdm_out.txt") : "<none>";
    }

    QString name(const QString& window) {
        return x.tool(QStringLiteral("xdotool"), {QStringLiteral("getwindowname"), window})
            .trimmed();
    }

    // The window's name once it is `wanted`, or the last one seen when the deadline passed.
    QString waitForName(const QString& window, const QString& wanted) {
        QElapsedTimer clock;
        clock.start();
        QString seen;
        while ((seen = name(window)) != wanted && clock.elapsed() < kStateDeadlineMs)
            QThread::msleep(50);
        return seen;
    }

    X11Session x;
    TempDir dir;
};

TEST_F(SessionProgram, HelpOpensAndEscClosesItWithoutLeavingTheMenu) {
    ProgramRun run(x, dir.path(), {QStringLiteral("RULEVION_SESSION=1")});
    ASSERT_TRUE(run.started()) << run.report();
    const QString window = run.waitForWindow({});
    ASSERT_FALSE(window.isEmpty()) << run.report();
    EXPECT_EQ(waitForName(window, QStringLiteral("rulevion-menu")),
              QStringLiteral("rulevion-menu"));
    const QString geometry =
        x.tool(QStringLiteral("xdotool"), {QStringLiteral("getwindowgeometry"), window});
    EXPECT_TRUE(geometry.contains(QStringLiteral("1280x1024"))) << geometry.toStdString();

    // The window shows before the panel in it takes clicks: wait for its Help button. The tree
    // tells where it is in the scaled program's own pixels; the screen's are those times the
    // scale.
    const QString helpCaption =
        QString::fromStdString(cp1251::toUtf8(messageText(text::kHelpCaption)));
    std::optional<Control> help = run.waitForControl(QStringLiteral("push button"), helpCaption);
    ASSERT_TRUE(help) << run.report();
    const double scale = session::fittingScale(QSize(1280, 1024), session::kPanelSize);
    help->screen = QRect(help->screen.topLeft() * scale, help->screen.size() * scale);
    run.click(*help);
    ASSERT_EQ(waitForName(window, QStringLiteral("rulevion-help")), QStringLiteral("rulevion-help"))
        << run.report();
    run.key(window, QStringLiteral("Escape"));
    EXPECT_EQ(waitForName(window, QStringLiteral("rulevion-menu")), QStringLiteral("rulevion-menu"))
        << run.report();
    EXPECT_EQ(handOff(), "<none>") << "the Esc that closed the help reached the menu";

    // The menu has the keyboard back: its own Esc leaves.
    run.key(window, QStringLiteral("Escape"));
    ASSERT_TRUE(run.waitForEnd()) << run.report();
    EXPECT_EQ(handOff(), "0") << run.report();
}

TEST_F(SessionProgram, FailedExercisesBoxThenTheMenu) {
    ProgramRun run(
        x, dir.path(),
        {QStringLiteral("RULEVION_SESSION=1"), QStringLiteral("RULEVION_FAILED=exercises")});
    ASSERT_TRUE(run.started()) << run.report();
    const QString window = run.waitForWindow({});
    ASSERT_FALSE(window.isEmpty()) << run.report();
    // The screen first, then the box over it.
    const QString box = run.waitForWindow({window});
    ASSERT_FALSE(box.isEmpty()) << run.report();
    EXPECT_EQ(name(box), QStringLiteral("Сообщение программы \"Рулевион\"")) << run.report();
    run.key(box, QStringLiteral("Return"));
    EXPECT_EQ(waitForName(window, QStringLiteral("rulevion-menu")),
              QStringLiteral("rulevion-menu"));
    run.key(window, QStringLiteral("Escape"));
    ASSERT_TRUE(run.waitForEnd()) << run.report();
    EXPECT_EQ(handOff(), "0") << "the menu ran on after the box\n" << run.report();
}

}  // namespace
