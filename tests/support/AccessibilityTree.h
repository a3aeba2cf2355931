#pragma once

#include <QRect>
#include <QString>

#include <vector>

// A control of a program as its accessibility tree shows it: found by what it is and by the
// caption a person reads, wherever the layout puts it.
struct Control {
    QString role;  // as AT-SPI names it: "push button", "text", "dialog", ...
    QString name;  // the accessible name: a button's caption, a dialog's title
    QRect screen;  // where it is, in screen pixels
};

// The accessibility tree (AT-SPI over D-Bus) of the programs on one session bus.
class AccessibilityTree {
public:
    explicit AccessibilityTree(const QString& sessionBusAddress);
    ~AccessibilityTree();
    AccessibilityTree(const AccessibilityTree&) = delete;
    AccessibilityTree& operator=(const AccessibilityTree&) = delete;

    // Every control of every program, in the tree's order; empty while no program has
    // published its tree yet.
    std::vector<Control> controls() const;

    // Starts the accessibility bus and its registry and waits until the registry answers, so that
    // a program started next finds them up at once: a program that asks while they are still
    // starting (a loaded machine) gives up publishing for good. False when the deadline passes.
    bool waitUntilReady(int timeoutMs) const;

private:
    bool connect() const;

    QString sessionAddress_;
    QString sessionName_;
    QString busName_;
    mutable bool connected_ = false;
};
