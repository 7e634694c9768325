#include "common/DMTabView.h"

#include "resources/Menus.h"

#include <QMenu>

DMTabView::DMTabView(int menuId) : m_menu(LoadMenu(menuId)) {}

DMTabView::~DMTabView()
{
    qDeleteAll(m_menu);
}

QString DMTabView::Activate()
{
    return QString();
}
