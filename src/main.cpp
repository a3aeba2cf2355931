#include "CommandLine.h"
#include "CrashGuard.h"
#include "DialogUnits.h"
#include "LauncherApp.h"
#include "MainPanelDialog.h"
#include "MessageCatalogue.h"
#include "PasswordState.h"
#include "QtWindowServices.h"
#include "SignInState.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include <cstdio>

int main(int argc, char** argv) {
    if (const auto status = app::answerCommandLine(argc, argv)) return *status;
    app::installCrashGuard();
    QApplication qtApp(argc, argv);
    // The window system's own words (a field's context menu) in Russian, where installed.
    QTranslator qtTexts;
    if (qtTexts.load(QLocale(QLocale::Russian), QStringLiteral("qtbase"), QStringLiteral("_"),
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTexts);
    if (!ui::installFontSubstitutes())
        std::fputs("rulevion-menu: Liberation Sans is not installed; texts may not show\n", stderr);

    // Program-wide state; the texts are complete before the application object starts its work.
    ui::QtWindowServices services;
    trainer::PasswordState password;
    catalogue();
    SignInState signIn;
    LauncherApp app([&] { return std::make_unique<MainPanelDialog>(services, signIn, password); });
    app.initInstance();
    return 0;
}
