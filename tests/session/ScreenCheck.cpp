// Looks at a screenshot of the station's session for the session test:
//
//   rv_screencheck box SHOT.png X Y W H KIND    the box KIND is drawn at X,Y (W x H, its inside):
//                                               compared with the same box drawn here
//   rv_screencheck differs A.png B.png X Y W H  the area differs between the two shots
//
// KIND is "text:Name:type" or "slot:Name:type": a catalogue text or slot by name, with the box
// type error, signin or question. The box is drawn on the same display, never shown on it, with
// the scale in QT_SCALE_FACTOR, as the menu drew its own: the same screen's size and fonts lay it
// out as the menu's. On a failure the box drawn here is saved beside the shot (.expected.png).
// Exit status 0 when the check holds, 1 when not (with why on stderr), 2 on misuse.
#include "MessageCatalogue.h"
#include "QtWindowServices.h"
#include "StationSession.h"
#include "DialogUnits.h"

#include <QApplication>
#include <QImage>
#include <QMessageBox>
#include <QPixmap>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>

namespace {

constexpr int kSlack = 24;

int usage() {
    std::fputs("usage: rv_screencheck box SHOT.png X Y W H KIND\n"
               "       rv_screencheck differs A.png B.png X Y W H\n",
               stderr);
    return 2;
}

std::optional<ui::BoxType> boxTypeNamed(const std::string& name) {
    if (name == "error") return ui::kBoxError;
    if (name == "signin") return ui::kBoxSignInError;
    if (name == "question") return ui::kBoxDrivingQuestion;
    return std::nullopt;
}

std::optional<std::string> textOf(const std::string& kind, const std::string& name) {
    if (kind == "text") {
        if (const auto id = textIdNamed(name)) return messageText(*id);
    } else if (kind == "slot") {
        if (const auto id = slotNamed(name)) return catalogue().slotTexts[*id];
    }
    return std::nullopt;
}

QImage area(const QImage& shot, const QRect& rect) {
    return shot.copy(rect).convertToFormat(QImage::Format_RGB32);
}

struct Difference {
    double mean = 0;       // mean of each pixel's largest channel difference, 0..255
    double changed = 0;    // share of pixels that differ by more than a quarter of the range
};

Difference difference(const QImage& a, const QImage& b) {
    Difference d;
    const int w = std::min(a.width(), b.width());
    const int h = std::min(a.height(), b.height());
    if (w <= 0 || h <= 0) return {255, 1};
    long long sum = 0, changed = 0;
    for (int y = 0; y < h; ++y) {
        const auto* pa = reinterpret_cast<const QRgb*>(a.constScanLine(y));
        const auto* pb = reinterpret_cast<const QRgb*>(b.constScanLine(y));
        for (int x = 0; x < w; ++x) {
            const int diff = std::max({std::abs(qRed(pa[x]) - qRed(pb[x])),
                                       std::abs(qGreen(pa[x]) - qGreen(pb[x])),
                                       std::abs(qBlue(pa[x]) - qBlue(pb[x]))});
            sum += diff;
            if (diff > 64) ++changed;
        }
    }
    const double count = double(w) * h;
    d.mean = sum / count;
    d.changed = changed / count;
    return d;
}

bool readRect(char** argv, QRect& rect) {
    char* end = nullptr;
    int v[4];
    for (int i = 0; i < 4; ++i) {
        v[i] = int(std::strtol(argv[i], &end, 10));
        if (!end || *end) return false;
    }
    rect = QRect(v[0], v[1], v[2], v[3]);
    return !rect.isEmpty();
}

// The box as the menu shows it, drawn off the screen: its inside, at the menu's scale.
int checkBox(const QString& shotFile, const QImage& shot, const QRect& rect,
             const std::string& kindArg) {
    const auto first = kindArg.find(':');
    const auto last = kindArg.rfind(':');
    if (first == std::string::npos || first == last) return usage();
    const std::optional<std::string> text =
        textOf(kindArg.substr(0, first), kindArg.substr(first + 1, last - first - 1));
    const std::optional<ui::BoxType> type = boxTypeNamed(kindArg.substr(last + 1));
    if (!text || !type) return usage();

    session::useSessionBoxFont();
    std::unique_ptr<QMessageBox> box =
        ui::QtWindowServices::makeMessageBox(nullptr, *text, catalogue().caption, *type);
    // Laid out as on the screen, drawn, but never mapped: nothing of this tool shows there.
    box->setAttribute(Qt::WA_DontShowOnScreen);
    box->show();
    QApplication::processEvents();
    const QImage drawn = box->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const auto keep = [&] { drawn.save(shotFile + QStringLiteral(".expected.png")); };
    if (std::abs(drawn.width() - rect.width()) > 2 || std::abs(drawn.height() - rect.height()) > 2) {
        keep();
        std::fprintf(stderr, "rv_screencheck: the box on the screen is %dx%d, drawn here %dx%d\n",
                     rect.width(), rect.height(), drawn.width(), drawn.height());
        return 1;
    }
    // Where the window manager's frame puts the inside is not told the same way by every tool:
    // the box is looked for a little around the place given.
    Difference best{255, 1};
    for (int dy = -kSlack; dy <= kSlack; ++dy) {
        for (int dx = -kSlack; dx <= kSlack; ++dx) {
            const QImage candidate = area(shot, QRect(rect.topLeft() + QPoint(dx, dy), drawn.size()));
            const Difference d = difference(drawn, candidate);
            if (d.mean < best.mean) best = d;
        }
    }
    const Difference& d = best;
    // Glyph edges may come out a little differently on and off the screen; a box that was never
    // drawn shows whatever lay beneath it.
    if (d.mean < 6 && d.changed < 0.03) return 0;
    keep();
    std::fprintf(stderr,
                 "rv_screencheck: the box on the screen is not the box drawn here "
                 "(mean difference %.1f, %.1f%% of pixels changed)\n",
                 d.mean, d.changed * 100);
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return usage();
    const std::string what = argv[1];
    if (!(what == "box" && argc == 8) && !(what == "differs" && argc == 8)) return usage();
    // Comparing two shots needs no display at all.
    if (what == "differs") qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (!ui::installFontSubstitutes()) std::fputs("rv_screencheck: no Liberation Sans\n", stderr);

    QRect rect;
    if (!readRect(argv + (what == "box" ? 3 : 4), rect)) return usage();
    const QImage shot(QString::fromLocal8Bit(argv[2]));
    if (shot.isNull()) {
        std::fprintf(stderr, "rv_screencheck: cannot read %s\n", argv[2]);
        return 2;
    }
    if (what == "box") return checkBox(QString::fromLocal8Bit(argv[2]), shot, rect, argv[7]);

    const QImage other(QString::fromLocal8Bit(argv[3]));
    if (other.isNull()) {
        std::fprintf(stderr, "rv_screencheck: cannot read %s\n", argv[3]);
        return 2;
    }
    const Difference d = difference(area(shot, rect), area(other, rect));
    if (d.changed > 0.002) return 0;
    std::fprintf(stderr, "rv_screencheck: the area did not change (%.3f%% of pixels)\n",
                 d.changed * 100);
    return 1;
}
