// The window's Help menu.
#include "app/UnitFmTallixor.h"

#include "about/UnitFormVersionInfo.h"

void TFmTallixor::MnSoftwareInfoClick() {
    showAboutWindow(this);
}
