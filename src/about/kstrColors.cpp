#include "about/kstrColors.h"

#include "env/kstrGlobal.h"

#include <stdexcept>
#include <utility>

namespace tallix {

TColorsList* ColorsList = nullptr;

namespace {

QString colorsFileName() {
    if (!AppGlobal)
        throw std::logic_error("TColorsList needs AppGlobal: start KstrGlobalUnit first");
    return AppGlobal->GetDataPath() + QStringLiteral("colors.clr");
}

} // namespace

TColorsList::TColorsList() : TxmlList(nullptr), FileName(colorsFileName()) {}

KstrColorsUnit::KstrColorsUnit() {
    if (!ColorsList)
        ColorsList = new TColorsList;
}

KstrColorsUnit::~KstrColorsUnit() {
    delete std::exchange(ColorsList, nullptr);
}

} // namespace tallix
