#include "DialogUnits.h"

#include <QFontInfo>
#include <QFontMetrics>

namespace ui {

namespace {
const QString kLayoutFamily = QStringLiteral("Microsoft Sans Serif");
const QString kSubstitute = QStringLiteral("Liberation Sans");
}  // namespace

int DialogUnits::mulDiv(int a, int b, int c) {
    const long long product = static_cast<long long>(a) * b;
    const long long half = c / 2;
    return static_cast<int>(product >= 0 ? (product + half) / c : (product - half) / c);
}

QRect DialogUnits::rect(int ux, int uy, int width, int height) const {
    const int left = x(ux);
    const int top = y(uy);
    return QRect(left, top, x(ux + width) - left, y(uy + height) - top);
}

DialogUnits DialogUnits::fromFont(const QFont& font) {
    const QFontMetrics metrics(font);
    const int letters = metrics.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    return DialogUnits((letters / 26 + 1) / 2, metrics.height());
}

QFont dialogFont(int points, bool bold) {
    QFont font(kLayoutFamily);
    font.setPixelSize((points * 96 + 36) / 72);
    font.setBold(bold);
    return font;
}

bool installFontSubstitutes() {
    QFont::insertSubstitution(kLayoutFamily, kSubstitute);
    return QFontInfo(QFont(kLayoutFamily)).family() == kSubstitute;
}

}  // namespace ui
