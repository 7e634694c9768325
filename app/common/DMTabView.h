#pragma once

#include <QList>
#include <QString>

class QMenu;

// Base of the two tab controllers. Each controller owns the top-level menus of
// its tab (built from its menu id), a first-activation flag that the view
// clears when the game directory changes, and Activate, which returns a tip.
class DMTabView {
public:
    explicit DMTabView(int menuId);
    virtual ~DMTabView();

    DMTabView(const DMTabView&) = delete;
    DMTabView& operator=(const DMTabView&) = delete;

    // Does the first-activation work once; gives the text for the tip line.
    virtual QString Activate();

    // The tab's menu bar: its top-level popups in order (File, View, [Archive,] Help).
    // Owned here; the view installs them into the one QMenuBar without handing them over.
    QList<QMenu*> m_menu;
    bool m_bInitialized = false;
};
