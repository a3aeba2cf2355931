// The program's own start-up (the one main runs), with a probe on the panel: reports the first
// frame and ends there. With --sign-in NUMBER it then types NUMBER, presses OK, draws what the
// sign-in showed and reports it, to measure the peak memory of a program that has signed a student
// in. Usage: rv-bench-panel [--sign-in NUMBER]   (run in a station folder,
// QT_QPA_PLATFORM=offscreen)

#include "FirstFrame.h"
#include "MainPanelDialog.h"
#include "ProgramStart.h"

#include <QLineEdit>
#include <QPushButton>

#include <cstring>
#include <optional>
#include <string>

namespace {

void afterFirstFrame(panel::MainPanelDialog& panel, const std::optional<std::string>& number) {
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

    const int status = app::runProgram(argc, argv, [&](panel::MainPanelDialog& panel) {
        panel::MainPanelDialog* p = &panel;
        // Owned by the panel, so that it goes with the panel and before the application object.
        auto* firstFrame = new FirstFrame(p, [p, &number] { afterFirstFrame(*p, number); });
        firstFrame->setParent(p);
    });
    probe::report("peak_kb", probe::peakKb());
    return status;
}
