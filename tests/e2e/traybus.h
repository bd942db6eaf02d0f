#pragma once

#include <QSize>
#include <QString>
#include <QVariant>

#include <string>
#include <vector>

namespace kerulo::e2e {

/// A status notifier item as the watcher lists it: a bus name and an object path.
struct StatusItem {
    QString service;
    QString path;
};

/// One entry of an exported menu, as a tray host reads it.
struct MenuEntry {
    int id = 0;
    QString label;
    bool visible = true;
    bool enabled = true;
    bool separator = false;
};

/// A desktop's session bus seen as a tray host sees it: the status notifier items the watcher
/// lists, their properties and the menus they export. A connection of its own, so the test
/// process's own bus (if any) is never touched.
class TrayBus {
public:
    explicit TrayBus(const std::string& address);
    ~TrayBus();
    TrayBus(const TrayBus&) = delete;
    TrayBus& operator=(const TrayBus&) = delete;

    std::vector<StatusItem> registeredItems() const;
    /// A property of the item's org.kde.StatusNotifierItem interface; invalid when the item
    /// does not answer.
    QVariant property(const StatusItem& item, const char* name) const;
    /// The title half of the item's ToolTip.
    QString toolTipTitle(const StatusItem& item) const;
    /// The sizes of the pictures in the item's IconPixmap.
    std::vector<QSize> iconSizes(const StatusItem& item) const;
    /// The top-level entries of the menu the item exports (com.canonical.dbusmenu GetLayout);
    /// empty when it exports none.
    std::vector<MenuEntry> menu(const StatusItem& item) const;

private:
    QString m_name;
};

} // namespace kerulo::e2e
