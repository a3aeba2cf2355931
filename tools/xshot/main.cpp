// Saves a picture of the whole X screen (for the demo and for looking at the panel in tests).
#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>

#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fputs("usage: rulevion-xshot OUT.png   (screen of $DISPLAY)\n", stderr);
        return 2;
    }
    QGuiApplication app(argc, argv);
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen || !screen->grabWindow(0).save(QString::fromLocal8Bit(argv[1]), "PNG")) {
        std::fprintf(stderr, "rulevion-xshot: cannot save %s\n", argv[1]);
        return 1;
    }
    return 0;
}
