#pragma once

#include <QWidget>

class QPdfDocument;
class QPdfView;
class QPushButton;

namespace session {

// The help document shown by the program itself, over the whole screen: a station has no
// desktop whose viewer would take the keyboard and close again. Esc or the close button ends
// it; every key while it shows stays with it.
class HelpViewer : public QWidget {
    Q_OBJECT

public:
    explicit HelpViewer(QWidget* parent = nullptr);

    // Loads the document; false when it cannot be read (nothing is shown then).
    bool open(const QString& path);

    QPdfView* view() const { return view_; }

signals:
    // escapeTime: the X time of the Esc release that closed it, 0 for the close button.
    void closed(quint64 escapeTime);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void fitPages();

    QPdfDocument* document_ = nullptr;
    QPdfView* view_ = nullptr;
    QPushButton* close_ = nullptr;
    // Esc closes on its release: the press and the key's repeats are used up here, so none of
    // them reaches the menu once the help is gone.
    bool escapePressed_ = false;
};

}  // namespace session
