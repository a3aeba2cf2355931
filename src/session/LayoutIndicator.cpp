#include "LayoutIndicator.h"

#include "KeyboardLayout.h"
#include "Text.h"

#include <QSocketNotifier>

#include <X11/XKBlib.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace session {

namespace {

constexpr int kMargin = 8;

std::string rulesNamesProperty(Display* display) {
    const Atom property = XInternAtom(display, "_XKB_RULES_NAMES", True);
    if (property == None) return {};
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long left = 0;
    unsigned char* data = nullptr;
    const int status = XGetWindowProperty(display, DefaultRootWindow(display), property, 0, 1024,
                                          False, XA_STRING, &type, &format, &count, &left, &data);
    std::string value;
    if (status == Success && data && format == 8)
        value.assign(reinterpret_cast<const char*>(data), count);
    if (data) XFree(data);
    return value;
}

}  // namespace

LayoutIndicator::LayoutIndicator(QWidget* parent) : QLabel(parent) {
    setObjectName(QStringLiteral("layoutIndicator"));
    setTextFormat(Qt::PlainText);
    setAlignment(Qt::AlignCenter);
    setMargin(6);
    setStyleSheet(
        QStringLiteral("QLabel { background: #fffff0; color: #000000; "
                       "border: 2px solid #404040; border-radius: 4px; }"));
    QFont bold = font();
    bold.setPixelSize(18);
    bold.setBold(true);
    setFont(bold);
    hide();

    int opcode = 0, event = 0, error = 0, major = XkbMajorVersion, minor = XkbMinorVersion;
    display_ = XkbOpenDisplay(nullptr, &event, &error, &major, &minor, &opcode);
    if (!display_) return;
    XkbSelectEventDetails(display_, XkbUseCoreKbd, XkbStateNotify, XkbGroupStateMask,
                          XkbGroupStateMask);
    XkbSelectEvents(display_, XkbUseCoreKbd, XkbNewKeyboardNotifyMask | XkbNamesNotifyMask,
                    XkbNewKeyboardNotifyMask | XkbNamesNotifyMask);
    XFlush(display_);
    notifier_ = new QSocketNotifier(ConnectionNumber(display_), QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, [this] { refresh(); });
    refresh();
}

LayoutIndicator::~LayoutIndicator() {
    if (display_) XCloseDisplay(display_);
}

// Which event came does not matter: the state is asked for anew. The replies may bring events
// along, which would then wait in the queue without waking the notifier; they are taken too.
void LayoutIndicator::drainEvents() {
    while (XPending(display_) > 0) {
        XEvent event;
        XNextEvent(display_, &event);
    }
}

void LayoutIndicator::refresh() {
    if (!display_) return;
    drainEvents();
    XkbStateRec state{};
    const bool known = XkbGetState(display_, XkbUseCoreKbd, &state) == Success;
    const KeyboardNames names = parseRulesNames(rulesNamesProperty(display_));
    drainEvents();
    const std::string layout = known ? layoutOfGroup(names, state.group) : std::string();
    if (layout.empty()) {
        hide();
        return;
    }
    setText(ui::toQString(indicatorText(layout, switchKeys(names.options))));
    adjustSize();
    show();
    place();
}

void LayoutIndicator::place() {
    if (!parentWidget()) return;
    const QRect area = parentWidget()->rect();
    move(area.right() - width() - kMargin, area.bottom() - height() - kMargin);
}

}  // namespace session
