#pragma once

#include <QIcon>

namespace tallix {

// The program's icon in every size the desktop asks for; also the icon of its windows.
QIcon applicationIcon();

} // namespace tallix
