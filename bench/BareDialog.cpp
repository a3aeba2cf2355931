// The floor for start-up and memory: an empty frameless Qt dialog of the panel's size, shown
// modally and ended after its first frame. Usage: rv-bench-dialog WIDTH HEIGHT
//
// Built a second time as rv-bench-dialog-parts, with the panel's picture embedded, to show where
// the panel's start-up goes: --picture shows the picture, --picture-file FILE the same picture
// from another file (another image format), --text a line of Russian text in the panel's font
// (Liberation Sans, bold, 24 px). --save-picture FILE writes the picture in the format FILE's
// name gives and ends.

#include "FirstFrame.h"

#include <QApplication>
#include <QDialog>
#include <QImage>
#include <QLabel>
#include <QPixmap>

#include <cstdlib>
#include <cstring>

#ifdef RV_BENCH_PARTS
#include "Resources.h"
#endif

int main(int argc, char** argv) {
    const int width = argc > 2 ? std::atoi(argv[1]) : 1019;
    const int height = argc > 2 ? std::atoi(argv[2]) : 573;
    QString picture;
    QString saveTo;
    bool text = false;
    for (int i = 3; i < argc; ++i) {
        if (std::strcmp(argv[i], "--picture") == 0) picture = QStringLiteral(":/res/panel.png");
        if (std::strcmp(argv[i], "--picture-file") == 0 && i + 1 < argc) picture = argv[++i];
        if (std::strcmp(argv[i], "--save-picture") == 0 && i + 1 < argc) saveTo = argv[++i];
        text = text || std::strcmp(argv[i], "--text") == 0;
    }
    QApplication app(argc, argv);
    QDialog dialog(nullptr, Qt::Window | Qt::FramelessWindowHint);
    dialog.setFixedSize(width, height);
    dialog.move(0, 0);
#ifdef RV_BENCH_PARTS
    rv_initResources();
    if (!saveTo.isEmpty()) return QImage(QStringLiteral(":/res/panel.png")).save(saveTo) ? 0 : 1;
    if (!picture.isEmpty()) {
        auto* label = new QLabel(&dialog);
        label->setPixmap(QPixmap(picture));
        label->move(0, 40);
        label->adjustSize();
    }
    if (text) {
        auto* label = new QLabel(QString::fromUtf8("Ездовые упражнения"), &dialog);
        QFont font(QStringLiteral("Liberation Sans"));
        font.setPixelSize(24);
        font.setBold(true);
        label->setFont(font);
        label->move(20, 10);
        label->adjustSize();
    }
#else
    (void)text;
#endif
    FirstFrame firstFrame(&dialog, [&dialog] {
        probe::report("frame_ns", probe::monotonicNs());
        probe::report("frame_cpu_ns", probe::processCpuNs());
        dialog.done(QDialog::Accepted);
    });
    dialog.exec();
    probe::report("peak_kb", probe::peakKb());
    return 0;
}
