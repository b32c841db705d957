// sni_watcher: the part of a KDE or GNOME panel that an application talks to, for the desktop tests. It owns
// org.kde.StatusNotifierWatcher on the session bus, takes items' registrations, and reads an item back the
// way a panel does, one command a line on standard input, one answer a line on standard output:
//
//   item            "item SERVICE PATH" once an item has registered (waits for it)
//   tooltip         "tooltip TITLE" from the item's ToolTip property
//   menu            "menu LABEL|LABEL|..." from the layout of the menu the item exports ("-" a separator,
//                   "!" before a disabled item)
//   activate        "activated" once the item took a left activation, Activate(x, y)
//   click LABEL     "clicked" once the exported menu's item of that label took a click event
//
// A failure answers "error WHAT". The test's own session bus (dbus-run-session) keeps it private.
#include <unistd.h>
#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QObject>
#include <QSocketNotifier>
#include <QStringList>
#include <QTextStream>
#include <cstdio>
#include <functional>

namespace {

const QString kItemInterface = QStringLiteral("org.kde.StatusNotifierItem");

class Watcher : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierWatcher")
    Q_PROPERTY(QStringList RegisteredStatusNotifierItems READ registeredItems)
    Q_PROPERTY(bool IsStatusNotifierHostRegistered READ hostRegistered)
    Q_PROPERTY(int ProtocolVersion READ protocolVersion)

public:
    QStringList registeredItems() const { return items_; }
    bool hostRegistered() const { return true; }
    int protocolVersion() const { return 0; }

    // The service and path of the latest item; empty before any.
    QString service;
    QString path;
    std::function<void()> onRegistered;

public slots:
    void RegisterStatusNotifierItem(const QString& serviceOrPath, const QDBusMessage& message) {
        // An item names its own bus name (its object at /StatusNotifierItem) or, from its unique
        // connection, only a path.
        if (serviceOrPath.startsWith(u'/')) {
            service = message.service();
            path = serviceOrPath;
        } else {
            service = serviceOrPath;
            path = QStringLiteral("/StatusNotifierItem");
        }
        items_ << service + path;
        emit StatusNotifierItemRegistered(service + path);
        if (onRegistered) {
            onRegistered();
        }
    }
    void RegisterStatusNotifierHost(const QString&) {}

signals:
    void StatusNotifierItemRegistered(const QString& item);
    void StatusNotifierItemUnregistered(const QString& item);
    void StatusNotifierHostRegistered();

private:
    QStringList items_;
};

QDBusMessage call(const QString& service, const QString& path, const QString& interface,
                  const QString& method, const QVariantList& arguments) {
    QDBusMessage message = QDBusMessage::createMethodCall(service, path, interface, method);
    message.setArguments(arguments);
    return QDBusConnection::sessionBus().call(message, QDBus::Block, 5000);
}

QVariant property(const QString& service, const QString& path, const QString& name) {
    const QDBusMessage reply = call(service, path, QStringLiteral("org.freedesktop.DBus.Properties"),
                                    QStringLiteral("Get"), {kItemInterface, name});
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) {
        return {};
    }
    return reply.arguments().first().value<QDBusVariant>().variant();
}

// One node of a com.canonical.dbusmenu layout, (ia{sv}av), with its children; labels in menu order.
void readLayout(const QDBusArgument& node, QStringList& labels, QList<int>& ids) {
    int id = 0;
    QVariantMap properties;
    node.beginStructure();
    node >> id >> properties;
    if (properties.value(QStringLiteral("type")).toString() == u"separator") {
        labels << QStringLiteral("-");
        ids << id;
    } else if (properties.contains(QStringLiteral("label"))) {
        const bool enabled = properties.value(QStringLiteral("enabled"), true).toBool();
        labels << (enabled ? QString() : QStringLiteral("!")) +
                      properties.value(QStringLiteral("label")).toString();
        ids << id;
    }
    node.beginArray();
    while (!node.atEnd()) {
        QDBusVariant child;
        node >> child;
        readLayout(child.variant().value<QDBusArgument>(), labels, ids);
    }
    node.endArray();
    node.endStructure();
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QDBusConnection bus = QDBusConnection::sessionBus();
    Watcher watcher;
    if (!bus.isConnected() ||
        !bus.registerObject(QStringLiteral("/StatusNotifierWatcher"), &watcher,
                            QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllSignals |
                                QDBusConnection::ExportAllProperties) ||
        !bus.registerService(QStringLiteral("org.kde.StatusNotifierWatcher"))) {
        std::fprintf(stderr, "sni_watcher: cannot take org.kde.StatusNotifierWatcher on the session bus\n");
        return 1;
    }
    out << "ready" << Qt::endl;

    bool waitingForItem = false;
    auto answerItem = [&] { out << "item " << watcher.service << ' ' << watcher.path << Qt::endl; };
    watcher.onRegistered = [&] {
        if (waitingForItem) {
            waitingForItem = false;
            answerItem();
        }
    };

    auto menuLayout = [&](QStringList& labels, QList<int>& ids) -> QString {
        const QVariant menu = property(watcher.service, watcher.path, QStringLiteral("Menu"));
        const QString menuPath = menu.value<QDBusObjectPath>().path();
        if (menuPath.isEmpty() || menuPath == u"/NO_DBUSMENU") {
            return QStringLiteral("the item exports no menu (%1)").arg(menuPath);
        }
        const QDBusMessage reply = call(watcher.service, menuPath, QStringLiteral("com.canonical.dbusmenu"),
                                        QStringLiteral("GetLayout"), {0, -1, QStringList()});
        if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().size() < 2) {
            return QStringLiteral("GetLayout failed: ") + reply.errorMessage();
        }
        readLayout(reply.arguments().at(1).value<QDBusArgument>(), labels, ids);
        return {};
    };

    auto runCommand = [&](const QString& line) {
        const QString command = line.section(u' ', 0, 0);
        const QString argument = line.section(u' ', 1);
        if (command == u"item") {
            if (watcher.service.isEmpty()) {
                waitingForItem = true;
            } else {
                answerItem();
            }
        } else if (watcher.service.isEmpty()) {
            out << "error no item has registered" << Qt::endl;
        } else if (command == u"tooltip") {
            // (s a(iiay) s s): icon name, icon pictures, title, text.
            const QDBusArgument tip =
                property(watcher.service, watcher.path, QStringLiteral("ToolTip")).value<QDBusArgument>();
            QString iconName, title, text;
            tip.beginStructure();
            tip >> iconName;
            tip.beginArray();
            while (!tip.atEnd()) {
                int width = 0, height = 0;
                QByteArray pixels;
                tip.beginStructure();
                tip >> width >> height >> pixels;
                tip.endStructure();
            }
            tip.endArray();
            tip >> title >> text;
            tip.endStructure();
            out << "tooltip " << title << Qt::endl;
        } else if (command == u"menu") {
            QStringList labels;
            QList<int> ids;
            const QString error = menuLayout(labels, ids);
            out << (error.isEmpty() ? QStringLiteral("menu ") + labels.join(u'|')
                                    : QStringLiteral("error ") + error)
                << Qt::endl;
        } else if (command == u"activate") {
            const QDBusMessage reply =
                call(watcher.service, watcher.path, kItemInterface, QStringLiteral("Activate"), {10, 10});
            out << (reply.type() == QDBusMessage::ReplyMessage
                        ? QStringLiteral("activated")
                        : QStringLiteral("error ") + reply.errorMessage())
                << Qt::endl;
        } else if (command == u"click") {
            QStringList labels;
            QList<int> ids;
            QString error = menuLayout(labels, ids);
            const qsizetype at = labels.indexOf(argument);
            if (error.isEmpty() && at < 0) {
                error = QStringLiteral("no menu item %1 in %2").arg(argument, labels.join(u'|'));
            }
            if (error.isEmpty()) {
                const QString menuPath = property(watcher.service, watcher.path, QStringLiteral("Menu"))
                                             .value<QDBusObjectPath>()
                                             .path();
                const QDBusMessage reply =
                    call(watcher.service, menuPath, QStringLiteral("com.canonical.dbusmenu"),
                         QStringLiteral("Event"),
                         {ids.at(at), QStringLiteral("clicked"), QVariant::fromValue(QDBusVariant(QString())),
                          0u});
                if (reply.type() != QDBusMessage::ReplyMessage) {
                    error = QStringLiteral("Event failed: ") + reply.errorMessage();
                }
            }
            out << (error.isEmpty() ? QStringLiteral("clicked") : QStringLiteral("error ") + error)
                << Qt::endl;
        } else {
            out << "error unknown command " << command << Qt::endl;
        }
    };

    QByteArray pending;
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, [&] {
        char buffer[1024];
        const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (n <= 0) {
            QCoreApplication::quit();  // the test is done with us
            return;
        }
        pending.append(buffer, n);
        qsizetype newline;
        while ((newline = pending.indexOf('\n')) >= 0) {
            const QString line = QString::fromUtf8(pending.left(newline)).trimmed();
            pending.remove(0, newline + 1);
            runCommand(line);
        }
    });
    return app.exec();
}

#include "sni_watcher.moc"
