#pragma once

#include <QFont>
#include <QRect>

namespace ui {

// Dialog layouts are measured in dialog units; the window system maps them to pixels from the
// dialog font: horizontal units times base-x / 4, vertical units times base-y / 8, rounded.
class DialogUnits {
public:
    DialogUnits(int baseX, int baseY) : baseX_(baseX), baseY_(baseY) {}

    // Base units as the window system derives them: the average width of the 52 Latin letters,
    // halved and rounded, and the font's full height.
    static DialogUnits fromFont(const QFont& font);

    int x(int units) const { return mulDiv(units, baseX_, 4); }
    int y(int units) const { return mulDiv(units, baseY_, 8); }
    QRect rect(int x, int y, int width, int height) const;

    int baseX() const { return baseX_; }
    int baseY() const { return baseY_; }

private:
    static int mulDiv(int a, int b, int c);
    int baseX_;
    int baseY_;
};

// A dialog font given in points, sized in pixels at the window system's 96 dots per inch, so
// that layouts come out the same whatever the screen reports.
QFont dialogFont(int points, bool bold);

// The layouts name "Microsoft Sans Serif", which Linux stations do not have. Maps it to
// Liberation Sans; returns false when that font does not resolve (text would draw as boxes).
bool installFontSubstitutes();

}  // namespace ui
