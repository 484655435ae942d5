#pragma once

#include "env/FuncListWork.h"

#include <QString>

namespace tallix {

// The list of colour entries, kept in "colors.clr" in the data folder. Creating it asks the
// application context for the data folder, which decides and creates that folder.
class TColorsList : public TxmlList {
public:
    TColorsList();

    QString FileName;
};

extern TColorsList* ColorsList;

// Start-up and shutdown of this unit, done explicitly by main() after KstrGlobalUnit (AppGlobal
// must exist): the constructor creates ColorsList, the destructor frees it.
class KstrColorsUnit {
public:
    KstrColorsUnit();
    ~KstrColorsUnit();
    KstrColorsUnit(const KstrColorsUnit&) = delete;
    KstrColorsUnit& operator=(const KstrColorsUnit&) = delete;
};

} // namespace tallix
