#include "traybus.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>

#include <stdexcept>

namespace kerulo::e2e {

namespace {

const QString ItemInterface = QStringLiteral("org.kde.StatusNotifierItem");
const QString DefaultItemPath = QStringLiteral("/StatusNotifierItem");
int connections = 0;

QDBusMessage call(const QString& name, const QString& service, const QString& path,
                  const QString& interface, const QString& method, const QVariantList& args) {
    QDBusMessage m = QDBusMessage::createMethodCall(service, path, interface, method);
    m.setArguments(args);
    return QDBusConnection(name).call(m, QDBus::Block, 5000);
}

QVariant propertyOf(const QString& name, const QString& service, const QString& path,
                    const QString& interface, const QString& property) {
    const QDBusMessage reply =
        call(name, service, path, QStringLiteral("org.freedesktop.DBus.Properties"),
             QStringLiteral("Get"), {interface, property});
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return {};
    return reply.arguments().at(0).value<QDBusVariant>().variant();
}

// The pictures of an a(iiay) value, read for their sizes.
std::vector<QSize> pictureSizes(const QDBusArgument& arg) {
    std::vector<QSize> sizes;
    arg.beginArray();
    while (!arg.atEnd()) {
        int width = 0, height = 0;
        QByteArray bytes;
        arg.beginStructure();
        arg >> width >> height >> bytes;
        arg.endStructure();
        sizes.emplace_back(width, height);
    }
    arg.endArray();
    return sizes;
}

} // namespace

TrayBus::TrayBus(const std::string& address)
    : m_name(QStringLiteral("tray-bus-%1").arg(++connections)) {
    const QDBusConnection bus =
        QDBusConnection::connectToBus(QString::fromStdString(address), m_name);
    if (!bus.isConnected())
        throw std::runtime_error("no connection to the session bus at " + address + ": " +
                                 bus.lastError().message().toStdString());
}

TrayBus::~TrayBus() {
    QDBusConnection::disconnectFromBus(m_name);
}

// Watchers list an item as a bus name, a bus name followed by its object path, or a path alone.
std::vector<StatusItem> TrayBus::registeredItems() const {
    const QVariant listed = propertyOf(m_name, QStringLiteral("org.kde.StatusNotifierWatcher"),
                                       QStringLiteral("/StatusNotifierWatcher"),
                                       QStringLiteral("org.kde.StatusNotifierWatcher"),
                                       QStringLiteral("RegisteredStatusNotifierItems"));
    std::vector<StatusItem> items;
    for (const QString& entry : listed.toStringList()) {
        const int slash = entry.indexOf(QLatin1Char('/'));
        if (slash < 0)
            items.push_back({entry, DefaultItemPath});
        else
            items.push_back({entry.left(slash), entry.mid(slash)});
    }
    return items;
}

QVariant TrayBus::property(const StatusItem& item, const char* name) const {
    return propertyOf(m_name, item.service, item.path, ItemInterface, QString::fromLatin1(name));
}

// ToolTip is (s a(iiay) s s): icon name, pictures, title, text.
QString TrayBus::toolTipTitle(const StatusItem& item) const {
    const QVariant v = property(item, "ToolTip");
    if (!v.canConvert<QDBusArgument>())
        return {};
    const QDBusArgument arg = v.value<QDBusArgument>();
    QString iconName, title, text;
    arg.beginStructure();
    arg >> iconName;
    pictureSizes(arg);
    arg >> title >> text;
    arg.endStructure();
    return title;
}

std::vector<QSize> TrayBus::iconSizes(const StatusItem& item) const {
    const QVariant v = property(item, "IconPixmap");
    if (!v.canConvert<QDBusArgument>())
        return {};
    return pictureSizes(v.value<QDBusArgument>());
}

// GetLayout answers (u (i a{sv} av)): a revision and the root entry, whose children are the
// menu's entries, each again (i a{sv} av) inside a variant.
std::vector<MenuEntry> TrayBus::menu(const StatusItem& item) const {
    const QVariant path = property(item, "Menu");
    if (!path.canConvert<QDBusObjectPath>())
        return {};
    const QDBusMessage reply = call(m_name, item.service, path.value<QDBusObjectPath>().path(),
                                    QStringLiteral("com.canonical.dbusmenu"),
                                    QStringLiteral("GetLayout"), {0, -1, QStringList()});
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().size() < 2)
        return {};
    const QDBusArgument root = reply.arguments().at(1).value<QDBusArgument>();
    int rootId = 0;
    QVariantMap rootProperties;
    std::vector<MenuEntry> entries;
    root.beginStructure();
    root >> rootId >> rootProperties;
    root.beginArray();
    while (!root.atEnd()) {
        QDBusVariant child;
        root >> child;
        const QDBusArgument arg = child.variant().value<QDBusArgument>();
        MenuEntry entry;
        QVariantMap properties;
        arg.beginStructure();
        arg >> entry.id >> properties;
        arg.beginArray();
        while (!arg.atEnd()) {
            QDBusVariant grandchild;
            arg >> grandchild;
        }
        arg.endArray();
        arg.endStructure();
        entry.label = properties.value(QStringLiteral("label")).toString();
        entry.visible = properties.value(QStringLiteral("visible"), true).toBool();
        entry.enabled = properties.value(QStringLiteral("enabled"), true).toBool();
        entry.separator = properties.value(QStringLiteral("type")).toString() == "separator";
        entries.push_back(entry);
    }
    root.endArray();
    root.endStructure();
    return entries;
}

} // namespace kerulo::e2e
