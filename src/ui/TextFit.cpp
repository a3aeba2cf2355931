#include "TextFit.h"

#include <QFontMetrics>
#include <QLineEdit>
#include <QStyle>
#include <QStyleOptionFrame>

namespace ui {

namespace {
// What the field keeps free on each side of its text inside the frame, and its cursor.
constexpr int kFieldMargin = 2;
constexpr int kCursorWidth = 1;
// Narrower widths to try, in percent; the window system narrows a face that has no such width.
constexpr int kStretches[] = {QFont::Unstretched, QFont::SemiCondensed, QFont::Condensed};

bool fits(const QFont& font, const QString& text, int width) {
    // The field lays its text out one pixel wider than the advance.
    return QFontMetrics(font).horizontalAdvance(text) + 1 <= width;
}
}  // namespace

QFont fittingFont(const QFont& font, const QString& text, int width, int smallestPixels) {
    QFont candidate = font;
    const int largest = font.pixelSize() > 0 ? font.pixelSize() : QFontMetrics(font).height();
    for (int pixels = largest; pixels >= smallestPixels; --pixels) {
        candidate.setPixelSize(pixels);
        candidate.setStretch(QFont::Unstretched);
        candidate.setBold(font.bold());
        if (fits(candidate, text, width)) return candidate;
        candidate.setBold(false);
        for (const int stretch : kStretches) {
            candidate.setStretch(stretch);
            if (fits(candidate, text, width)) return candidate;
        }
    }
    return candidate;
}

int textWidthOf(const QLineEdit& edit) {
    QStyleOptionFrame option;
    option.initFrom(&edit);
    option.lineWidth = edit.hasFrame()
                           ? edit.style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, &edit)
                           : 0;
    option.midLineWidth = 0;
    option.state |= QStyle::State_Sunken;
    const QRect contents = edit.style()
                               ->subElementRect(QStyle::SE_LineEditContents, &option, &edit)
                               .marginsRemoved(edit.textMargins());
    return contents.width() - 2 * kFieldMargin - kCursorWidth;
}

}  // namespace ui
