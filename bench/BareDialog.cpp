// The floor for start-up and memory: an empty frameless Qt dialog of the panel's size, shown
// modally and ended after its first frame. Usage: rv-bench-dialog WIDTH HEIGHT

#include "FirstFrame.h"

#include <QApplication>
#include <QDialog>

#include <cstdlib>

int main(int argc, char** argv) {
    const int width = argc > 2 ? std::atoi(argv[1]) : 1019;
    const int height = argc > 2 ? std::atoi(argv[2]) : 573;
    QApplication app(argc, argv);
    QDialog dialog(nullptr, Qt::Window | Qt::FramelessWindowHint);
    dialog.setFixedSize(width, height);
    dialog.move(0, 0);
    FirstFrame firstFrame(&dialog, [&dialog] {
        probe::report("frame_ns", probe::monotonicNs());
        probe::report("frame_cpu_ns", probe::processCpuNs());
        dialog.done(QDialog::Accepted);
    });
    dialog.exec();
    probe::report("peak_kb", probe::peakKb());
    return 0;
}
