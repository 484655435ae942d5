// The window's Help menu.
#include "UnitFmTallixor.h"

#include "UnitFormVersionInfo.h"

void TFmTallixor::MnSoftwareInfoClick() {
    ShowAboutWindow(this);
}
