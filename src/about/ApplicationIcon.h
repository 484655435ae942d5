#pragma once

#include <QIcon>

// The program's icon in every size the desktop asks for; also the icon of its windows.
QIcon applicationIcon();
