#include "resources/Icon.h"


static void RegisterResources()
{
    Q_INIT_RESOURCE(resources);
}

QIcon ProgramIcon()
{
    static const bool registered = (RegisterResources(), true);
    (void)registered;
    return QIcon(QStringLiteral(":/tomelens.png"));
}
