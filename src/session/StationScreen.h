#pragma once

#include <QColor>
#include <QPointer>
#include <QWidget>

#include <functional>

class QDialog;
class QImage;
class QLabel;

namespace session {

class HelpViewer;
class LayoutIndicator;

// The colours along each edge of a picture, averaged: the screen around the panel continues
// them, so that the panel does not sit in a black frame.
struct EdgeColours {
    QColor top, bottom, left, right;
};
EdgeColours edgeColours(const QImage& image);

// The one window of the station session: the whole screen, the panel in its middle, the help
// document over it when asked for, and the keyboard layout in a corner. Being the only window,
// it keeps the keyboard whatever the window manager does.
class StationScreen : public QWidget {
    Q_OBJECT

public:
    StationScreen();
    ~StationScreen() override;

    // The panel becomes part of this window and stands centred in it; the window goes full
    // screen. Call before the panel runs. typingField, where given, has the keyboard whenever
    // the panel gets it back (after a box, a dialog or the help).
    void adopt(QDialog& panel, QWidget* typingField = nullptr);

    // Runs show with the owner a box must have here: this window. A dialog of the menu that asks
    // for a box steps aside (hides, which ends it) while the box shows.
    int showBox(QWidget* owner, const std::function<int(QWidget*)>& show);

    // A line beside the panel, as the layout's: what the student can do next.
    void showHint(const QString& text);
    QLabel* hint() const { return hint_; }

    // Shows the document over the panel, which takes no input until it is closed; false when
    // the document cannot be read.
    bool showHelp(const QString& path);
    bool helpShown() const;

    HelpViewer* helpViewer() const { return help_; }
    LayoutIndicator* layoutIndicator() const { return indicator_; }
    const EdgeColours& edges() const { return edges_; }

    bool eventFilter(QObject* watched, QEvent* event) override;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void closeHelp(quint64 escapeTime);
    void placeChildren();
    void returnKeyboard();

protected:
    bool event(QEvent* event) override;

private:

    QPointer<QDialog> panel_;
    HelpViewer* help_ = nullptr;
    LayoutIndicator* indicator_ = nullptr;
    QLabel* hint_ = nullptr;
    EdgeColours edges_;
    QPointer<QWidget> typingField_;
    QString titleBeforeHelp_;
    // Since the help closed on an Esc release, until the next deliberate Esc press.
    bool escapeHeld_ = false;
    quint64 lastEscape_ = 0;  // the X time of the last release of it
};

}  // namespace session
