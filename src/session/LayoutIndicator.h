#pragma once

#include <QLabel>

class QSocketNotifier;
typedef struct _XDisplay Display;

namespace session {

// The active keyboard layout, on screen while the menu shows, so that a student knows whether
// the keys type Latin or Cyrillic letters. Follows the X keyboard extension's group on a
// connection of its own; hidden where there is no X display to ask.
class LayoutIndicator : public QLabel {
    Q_OBJECT

public:
    explicit LayoutIndicator(QWidget* parent = nullptr);
    ~LayoutIndicator() override;

    // Reads the group and the layouts' names afresh and shows them.
    void refresh();
    // In the bottom right corner of the screen: over the picture's ground, away from the
    // sign-in board and the buttons.
    void place();

private:
    void drainEvents();

    Display* display_ = nullptr;
    QSocketNotifier* notifier_ = nullptr;
};

}  // namespace session
