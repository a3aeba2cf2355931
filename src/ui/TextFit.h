#pragma once

#include <QFont>
#include <QString>

class QLineEdit;

namespace ui {

// The largest font of the family of `font`, no larger than it and no smaller than
// smallestPixels, in which text fits width. At each size a bold font gives way to a regular one,
// and that to narrower ones, down to three quarters of its width, before the size goes down:
// letters of full height read better than small ones. The smallest and narrowest font when none
// fits.
QFont fittingFont(const QFont& font, const QString& text, int width, int smallestPixels);

// The width a one-line field shows its text in without scrolling: its contents less the frame,
// the text margins, the field's own margins and the cursor.
int textWidthOf(const QLineEdit& edit);

}  // namespace ui
