#include "StationScreen.h"

#include "HelpViewer.h"
#include "LayoutIndicator.h"
#include "PanelFit.h"

#include <QApplication>
#include <QDialog>
#include <QImage>
#include <QKeyEvent>
#include <QPainter>
#include <QPdfView>
#include <QScreen>

namespace session {

namespace {

const QString kHelpTitle = QStringLiteral("rulevion-help");
// Esc events closer than this to the one before are the held key's repeats. Longer than a
// repeat's interval, shorter than a second deliberate press.
constexpr quint64 kRepeatGap = 250;

QColor average(const QImage& image, QRect line) {
    line &= image.rect();
    if (line.isEmpty()) return Qt::black;
    long long red = 0, green = 0, blue = 0;
    for (int y = line.top(); y <= line.bottom(); ++y) {
        for (int x = line.left(); x <= line.right(); ++x) {
            const QRgb pixel = image.pixel(x, y);
            red += qRed(pixel);
            green += qGreen(pixel);
            blue += qBlue(pixel);
        }
    }
    const long long count = static_cast<long long>(line.width()) * line.height();
    return QColor(int(red / count), int(green / count), int(blue / count));
}

}  // namespace

EdgeColours edgeColours(const QImage& image) {
    const int w = image.width(), h = image.height();
    return {average(image, QRect(0, 0, w, 1)), average(image, QRect(0, h - 1, w, 1)),
            average(image, QRect(0, 0, 1, h)), average(image, QRect(w - 1, 0, 1, h))};
}

StationScreen::StationScreen() : QWidget(nullptr, Qt::Window) {
    setObjectName(QStringLiteral("stationScreen"));
    setWindowTitle(QStringLiteral("rulevion-menu"));
    edges_ = {Qt::black, Qt::black, Qt::black, Qt::black};

    help_ = new HelpViewer(this);
    help_->hide();
    connect(help_, &HelpViewer::closed, this, &StationScreen::closeHelp);

    indicator_ = new LayoutIndicator(this);
    QApplication::instance()->installEventFilter(this);
}

StationScreen::~StationScreen() = default;

void StationScreen::adopt(QDialog& panel) {
    panel_ = &panel;
    // The picture's colours along its edges, as the panel shows it, before it is taken in: the
    // screen around continues the picture rather than the row of buttons above it.
    QRect picture = panel.rect();
    if (const auto* label = panel.findChild<QWidget*>(QStringLiteral("picture")))
        picture &= label->geometry();
    edges_ = edgeColours(panel.grab(picture).toImage());
    panel.setParent(this, Qt::Widget);
    // A window fills its background by itself; as a part of this one the panel must do it.
    panel.setAutoFillBackground(true);
    indicator_->raise();
    // Sized by itself too: with no window manager nothing else would make it fill the screen.
    setGeometry(screen()->geometry());
    placeChildren();
    showFullScreen();
}

bool StationScreen::showHelp(const QString& path) {
    if (helpShown()) return true;
    if (!help_->open(path)) return false;
    focusBeforeHelp_ = QApplication::focusWidget();
    if (panel_) panel_->setEnabled(false);
    titleBeforeHelp_ = windowTitle();
    setWindowTitle(kHelpTitle);
    help_->setGeometry(rect());
    help_->show();
    help_->raise();
    help_->view()->setFocus(Qt::OtherFocusReason);
    return true;
}

bool StationScreen::helpShown() const {
    return help_->isVisible();
}

void StationScreen::closeHelp(quint64 escapeTime) {
    lastEscape_ = escapeTime;
    help_->hide();
    setWindowTitle(titleBeforeHelp_);
    if (panel_) panel_->setEnabled(true);
    indicator_->raise();
    activateWindow();
    if (focusBeforeHelp_ && focusBeforeHelp_->isEnabled())
        focusBeforeHelp_->setFocus(Qt::OtherFocusReason);
}

// A held Esc goes on repeating after its release closed the help; where the window system does
// not mark the repeats as such, each would look like a new press and leave the menu. Those
// that follow the closing one closely are used up here, however long the key is held.
bool StationScreen::eventFilter(QObject* watched, QEvent* event) {
    const auto type = event->type();
    if (lastEscape_ == 0 || (type != QEvent::KeyPress && type != QEvent::KeyRelease))
        return QWidget::eventFilter(watched, event);
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() != Qt::Key_Escape) return false;
    const quint64 time = key->timestamp();
    if (time >= lastEscape_ && time - lastEscape_ <= kRepeatGap) {
        lastEscape_ = time;
        return true;
    }
    lastEscape_ = 0;
    return false;
}

void StationScreen::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    placeChildren();
}

void StationScreen::placeChildren() {
    if (panel_) panel_->move(centredAt(size(), panel_->size()));
    help_->setGeometry(rect());
    indicator_->place();
}

void StationScreen::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (!panel_) {
        painter.fillRect(rect(), edges_.bottom);
        return;
    }
    const QRect panel = panel_->geometry();
    painter.fillRect(QRect(0, 0, width(), panel.top()), edges_.top);
    painter.fillRect(QRect(0, panel.bottom() + 1, width(), height() - panel.bottom() - 1),
                     edges_.bottom);
    painter.fillRect(QRect(0, panel.top(), panel.left(), panel.height()), edges_.left);
    painter.fillRect(
        QRect(panel.right() + 1, panel.top(), width() - panel.right() - 1, panel.height()),
        edges_.right);
}

}  // namespace session
