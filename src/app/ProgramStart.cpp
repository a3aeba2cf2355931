#include "ProgramStart.h"

#include "CrashGuard.h"
#include "DialogUnits.h"
#include "LauncherApp.h"
#include "MainPanelDialog.h"
#include "MessageCatalogue.h"
#include "PasswordState.h"
#include "SignInState.h"
#include "StationSession.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include <cstdio>

namespace app {

int runProgram(int& argc, char** argv,
               const std::function<void(panel::MainPanelDialog&)>& onPanel) {
    handoff::installCrashGuard();
    session::StationSession::prepareDisplay();
    QApplication qtApp(argc, argv);
    // The window system's own words (a field's context menu) in Russian, where installed.
    QTranslator qtTexts;
    if (qtTexts.load(QLocale(QLocale::Russian), QStringLiteral("qtbase"), QStringLiteral("_"),
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTexts);
    if (!ui::installFontSubstitutes())
        std::fputs("rulevion-menu: Liberation Sans is not installed; texts may not show\n", stderr);

    // Program-wide state; the texts are complete before the application object starts its work.
    session::StationSession station;
    ui::WindowServices& services = station.services();
    trainer::PasswordState password;
    catalogue();
    SignInState signIn;
    LauncherApp app([&] {
        auto panel = std::make_unique<panel::MainPanelDialog>(services, signIn, password);
        station.adopt(*panel, panel->typingField());
        panel->whenSignInAttempted([&station] { station.signInAttempted(); });
        if (onPanel) onPanel(*panel);
        return panel;
    });
    app.run();
    return 0;
}

}  // namespace app
