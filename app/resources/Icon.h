#pragma once

#include <QIcon>

// The program's icon (main window, About box). Also makes sure the program's
// compiled-in resources are registered, which a static library cannot do by itself.
QIcon ProgramIcon();
