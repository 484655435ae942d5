// The window's Help menu.
#include "app/UnitFmTallixor.h"

#include "about/UnitFormVersionInfo.h"

namespace tallix {

void TFmTallixor::MnSoftwareInfoClick() {
    showAboutWindow(this);
}

} // namespace tallix
