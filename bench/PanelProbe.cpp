// The program's start-up as main() does it, with a probe on the panel: reports the first frame
// and ends there. With --sign-in NUMBER it then types NUMBER, presses OK, draws what the sign-in
// showed and reports it, to measure the peak memory of a program that has signed a student in.
// Usage: rv-bench-panel [--sign-in NUMBER]   (run in a station folder, QT_QPA_PLATFORM=offscreen)

#include "CrashGuard.h"
#include "DialogUnits.h"
#include "FirstFrame.h"
#include "LauncherApp.h"
#include "MainPanelDialog.h"
#include "MessageCatalogue.h"
#include "PasswordState.h"
#include "QtWindowServices.h"
#include "SignInState.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>

#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <string>

namespace {

void afterFirstFrame(MainPanelDialog& panel, const std::optional<std::string>& number) {
    probe::report("frame_ns", probe::monotonicNs());
    probe::report("frame_cpu_ns", probe::processCpuNs());
    probe::report("width", panel.width());
    probe::report("height", panel.height());
    if (number) {
        auto* entry = panel.findChild<QLineEdit*>(QStringLiteral("recordBookEdit"));
        auto* ok = panel.findChild<QPushButton*>(QStringLiteral("signInButton"));
        if (entry && ok) {
            entry->setText(QString::fromUtf8(number->c_str()));
            const long long t0 = probe::monotonicNs();
            const long long c0 = probe::processCpuNs();
            ok->click();
            panel.repaint();
            probe::report("signin_ns", probe::monotonicNs() - t0);
            probe::report("signin_cpu_ns", probe::processCpuNs() - c0);
            probe::report("shown", entry->text().toUtf8().constData());
            // The helper stays for the panel's life; its peak is read while it still runs.
            probe::report("helper_peak_kb", probe::childPeakKb());
        }
    }
    panel.done(QDialog::Accepted);
}

}  // namespace

int main(int argc, char** argv) {
    std::optional<std::string> number;
    if (argc == 3 && std::strcmp(argv[1], "--sign-in") == 0) number = argv[2];

    app::installCrashGuard();
    QApplication qtApp(argc, argv);
    if (!ui::installFontSubstitutes())
        std::fputs("rv-bench-panel: Liberation Sans is not installed\n", stderr);

    ui::QtWindowServices services;
    trainer::PasswordState password;
    catalogue();
    SignInState signIn;
    std::unique_ptr<FirstFrame> firstFrame;
    LauncherApp app([&] {
        auto panel = std::make_unique<MainPanelDialog>(services, signIn, password);
        MainPanelDialog* p = panel.get();
        firstFrame = std::make_unique<FirstFrame>(p, [p, &number] { afterFirstFrame(*p, number); });
        return panel;
    });
    app.initInstance();
    probe::report("peak_kb", probe::peakKb());
    return 0;
}
