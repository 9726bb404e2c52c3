#pragma once

#include <QString>
#include <QVector>

// One item of the main menu. The name is the item's object name, which is also the key
// stored in CONFIGACESSO.MENU, so it must never change. A caption "-" is a separator.
struct MenuDef
{
    int level;          // 1 menu bar, 2 drop-down item, 3 sub-menu item
    const char *name;
    const char *caption;
    const char *screen; // window class opened by the item (empty: none or not a window)
    const char *screenCaption;
};

// The whole menu tree in menu order.
const QVector<MenuDef> &menuTree();
