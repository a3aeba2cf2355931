// rv_svgrender: renders an SVG file to a PNG of a given size.
//
//   rv_svgrender <in.svg> <out.png> <width> <height> [--rgb]
//
// --rgb writes a 24-bit picture with no alpha channel (transparent parts
// become white); without it the PNG keeps its alpha channel.

#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>

namespace {

int usage() {
    std::fprintf(stderr, "usage: rv_svgrender <in.svg> <out.png> <width> <height> [--rgb]\n");
    return 2;
}

bool parseSize(const char* text, int& out) {
    bool ok = false;
    out = QString::fromLocal8Bit(text).toInt(&ok);
    return ok && out > 0 && out <= 16384;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 5 && argc != 6) return usage();
    const bool rgb = argc == 6 && QByteArray(argv[5]) == "--rgb";
    if (argc == 6 && !rgb) return usage();
    int width = 0;
    int height = 0;
    if (!parseSize(argv[3], width) || !parseSize(argv[4], height)) return usage();

    // Runs inside the build, often with no display or session: text in the artwork still needs
    // the font database, hence a headless platform and a private runtime folder.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir runtimeDir;
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR") && runtimeDir.isValid())
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtimeDir.path()));
    QGuiApplication app(argc, argv);

    const QString in = QString::fromLocal8Bit(argv[1]);
    const QString out = QString::fromLocal8Bit(argv[2]);
    QSvgRenderer renderer(in);
    if (!renderer.isValid()) {
        std::fprintf(stderr, "rv_svgrender: cannot read %s\n", argv[1]);
        return 1;
    }

    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(rgb ? Qt::white : Qt::transparent);
    {
        QPainter painter(&image);
        painter.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform);
        renderer.render(&painter, QRectF(0, 0, width, height));
    }
    if (rgb) image = image.convertToFormat(QImage::Format_RGB888);

    if (!image.save(out, "PNG")) {
        std::fprintf(stderr, "rv_svgrender: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
