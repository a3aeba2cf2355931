#include "StationScreen.h"

#include "HelpViewer.h"
#include "LayoutIndicator.h"
#include "PanelFit.h"

#include <QApplication>
#include <QDialog>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPdfView>
#include <QScreen>

namespace session {

namespace {

const QString kHelpTitle = QStringLiteral("rulevion-help");
constexpr int kHintMargin = 8;
// A repeat's press follows its release within this many milliseconds of the server's clock.
constexpr quint64 kSameInstant = 1;

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

    hint_ = new QLabel(this);
    hint_->setObjectName(QStringLiteral("hint"));
    hint_->setTextFormat(Qt::PlainText);
    hint_->setAlignment(Qt::AlignCenter);
    hint_->setMargin(6);
    // Dressed as the layout's line, the other one the screen adds to the panel.
    hint_->setStyleSheet(indicator_->styleSheet());
    hint_->setFont(indicator_->font());
    hint_->hide();

    QApplication::instance()->installEventFilter(this);
}

StationScreen::~StationScreen() = default;

void StationScreen::adopt(QDialog& panel, QWidget* typingField) {
    panel_ = &panel;
    typingField_ = typingField;
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
    hint_->raise();
    // Sized by itself too: with no window manager nothing else would make it fill the screen.
    setGeometry(screen()->geometry());
    placeChildren();
    showFullScreen();
}

bool StationScreen::showHelp(const QString& path) {
    if (helpShown()) return true;
    if (!help_->open(path)) return false;
    if (panel_) panel_->setEnabled(false);
    titleBeforeHelp_ = windowTitle();
    setWindowTitle(kHelpTitle);
    help_->setGeometry(rect());
    help_->show();
    help_->raise();
    help_->view()->setFocus(Qt::OtherFocusReason);
    return true;
}

// Under the station's window manager, a box over a dialog over this window never gets drawn and
// never takes a key: the manager activates a dialog's parent dialog before the dialog itself,
// the toolkit hands the focus of a window blocked by a modal box back to that box, and the two
// go on taking it from each other for good. So a box stands over this window alone.
int StationScreen::showBox(QWidget* owner, const std::function<int(QWidget*)>& show) {
    QWidget* window = owner ? owner->window() : nullptr;
    if (window && window != this && window->isVisible()) window->hide();
    return show(this);
}

void StationScreen::showHint(const QString& text) {
    hint_->setText(text);
    hint_->adjustSize();
    hint_->show();
    hint_->raise();
    placeChildren();
}

// The student types his number next, whatever he clicked before: digits typed after a box, a
// dialog or the help are not to be lost on a button.
void StationScreen::returnKeyboard() {
    if (helpShown() || !typingField_ || !typingField_->isEnabled()) return;
    typingField_->setFocus(Qt::OtherFocusReason);
}

bool StationScreen::event(QEvent* event) {
    const bool handled = QWidget::event(event);
    if (event->type() == QEvent::WindowActivate) returnKeyboard();
    return handled;
}

bool StationScreen::helpShown() const {
    return help_->isVisible();
}

void StationScreen::closeHelp(quint64 escapeTime) {
    escapeHeld_ = escapeTime != 0;
    lastEscape_ = escapeTime;
    help_->hide();
    setWindowTitle(titleBeforeHelp_);
    if (panel_) panel_->setEnabled(true);
    indicator_->raise();
    hint_->raise();
    activateWindow();
    returnKeyboard();
}

// A held Esc goes on repeating after the release that closed the help. The window system repeats
// a held key as a release and a press at one and the same time, and does not always mark them as
// repeats: a press marked so, or at the time of the last release, is the held key, and is used up
// here with its releases; the first other press is a new one, the menu's own.
bool StationScreen::eventFilter(QObject* watched, QEvent* event) {
    const auto type = event->type();
    if (!escapeHeld_ || (type != QEvent::KeyPress && type != QEvent::KeyRelease))
        return QWidget::eventFilter(watched, event);
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() != Qt::Key_Escape) return false;
    const quint64 time = key->timestamp();
    if (type == QEvent::KeyRelease) {
        lastEscape_ = time;
        return true;
    }
    if (key->isAutoRepeat() || time <= lastEscape_ + kSameInstant) return true;
    escapeHeld_ = false;
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
    hint_->move(kHintMargin, height() - hint_->height() - kHintMargin);
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
