#include "AccessibilityTree.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>

#include <QElapsedTimer>
#include <QThread>

#include <algorithm>
#include <atomic>
#include <utility>

namespace {

constexpr int kCallMs = 5000;
// Bounds against a tree that never ends (a program that publishes a cycle).
constexpr int kDeepest = 32;
constexpr std::size_t kMostNodes = 5000;

const QString kAccessible = QStringLiteral("org.a11y.atspi.Accessible");
const QString kRegistry = QStringLiteral("org.a11y.atspi.Registry");
const QString kRoot = QStringLiteral("/org/a11y/atspi/accessible/root");

using Node = std::pair<QString, QString>;  // service, object path

QDBusMessage call(const QDBusConnection& bus, const Node& node, const QString& interface,
                  const QString& method, const QVariantList& args = {}) {
    QDBusMessage m = QDBusMessage::createMethodCall(node.first, node.second, interface, method);
    m.setArguments(args);
    return bus.call(m, QDBus::Block, kCallMs);
}

QVariant firstResult(const QDBusMessage& reply) {
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) return {};
    return reply.arguments().constFirst();
}

std::vector<Node> children(const QDBusConnection& bus, const Node& node) {
    std::vector<Node> out;
    const QVariant v = firstResult(call(bus, node, kAccessible, QStringLiteral("GetChildren")));
    if (!v.canConvert<QDBusArgument>()) return out;
    const QDBusArgument arg = v.value<QDBusArgument>();
    arg.beginArray();
    while (!arg.atEnd()) {
        QString service;
        QDBusObjectPath path;
        arg.beginStructure();
        arg >> service >> path;
        arg.endStructure();
        out.emplace_back(service, path.path());
    }
    arg.endArray();
    return out;
}

Control describe(const QDBusConnection& bus, const Node& node) {
    Control c;
    c.role = firstResult(call(bus, node, kAccessible, QStringLiteral("GetRoleName"))).toString();
    const QVariant name =
        firstResult(call(bus, node, QStringLiteral("org.freedesktop.DBus.Properties"),
                         QStringLiteral("Get"), {kAccessible, QStringLiteral("Name")}));
    c.name = name.value<QDBusVariant>().variant().toString();
    const QVariant extents =
        firstResult(call(bus, node, QStringLiteral("org.a11y.atspi.Component"),
                         QStringLiteral("GetExtents"), {QVariant::fromValue(quint32{0})}));
    if (extents.canConvert<QDBusArgument>()) {
        const QDBusArgument arg = extents.value<QDBusArgument>();
        int x = 0, y = 0, w = 0, h = 0;
        arg.beginStructure();
        arg >> x >> y >> w >> h;
        arg.endStructure();
        c.screen = QRect(x, y, w, h);
    }
    return c;
}

void walk(const QDBusConnection& bus, const Node& node, int depth, std::vector<Control>& out) {
    if (depth > kDeepest) return;
    for (const Node& child : children(bus, node)) {
        if (out.size() >= kMostNodes) return;
        out.push_back(describe(bus, child));
        walk(bus, child, depth + 1, out);
    }
}

}  // namespace

AccessibilityTree::AccessibilityTree(const QString& sessionBusAddress)
    : sessionAddress_(sessionBusAddress) {
    static std::atomic<int> count{0};
    const int n = count++;
    sessionName_ = QStringLiteral("rv-test-session-%1").arg(n);
    busName_ = QStringLiteral("rv-test-a11y-%1").arg(n);
}

AccessibilityTree::~AccessibilityTree() {
    QDBusConnection::disconnectFromBus(busName_);
    QDBusConnection::disconnectFromBus(sessionName_);
}

// The session bus starts the accessibility bus on the first question for its address.
bool AccessibilityTree::connect() const {
    if (connected_) return true;
    const QDBusConnection session = QDBusConnection::connectToBus(sessionAddress_, sessionName_);
    if (!session.isConnected()) return false;
    const QString address =
        firstResult(call(session, {QStringLiteral("org.a11y.Bus"), QStringLiteral("/org/a11y/bus")},
                         QStringLiteral("org.a11y.Bus"), QStringLiteral("GetAddress")))
            .toString();
    if (address.isEmpty()) return false;
    connected_ = QDBusConnection::connectToBus(address, busName_).isConnected();
    return connected_;
}

std::vector<Control> AccessibilityTree::controls() const {
    std::vector<Control> out;
    if (!connect()) return out;
    walk(QDBusConnection(busName_), {kRegistry, kRoot}, 0, out);
    return out;
}

bool AccessibilityTree::waitUntilReady(int timeoutMs) const {
    QElapsedTimer clock;
    clock.start();
    for (;;) {
        // The bus starts the registry on the first question for it.
        if (connect() && call(QDBusConnection(busName_), {kRegistry, kRoot}, kAccessible,
                              QStringLiteral("GetChildren"))
                                 .type() == QDBusMessage::ReplyMessage)
            return true;
        if (clock.elapsed() >= timeoutMs) return false;
        QThread::msleep(100);
    }
}
