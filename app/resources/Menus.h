#pragma once

#include <QList>

class QAction;
class QMenu;

// Builds the top-level popups of menu bar 128, 129 or 130, in bar order
// (File, View, [Archive,] Help). Every command action carries its command id
// as data; "&Tips" is checkable and starts checked. The caller owns the menus.
// An unknown id gives an empty list.
QList<QMenu*> LoadMenu(int menuId);

// The action of a command in a set of popups (searched recursively), or null.
QAction* FindCommand(const QList<QMenu*>& menus, int commandId);
