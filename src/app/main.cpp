#include "TallixApplication.h"
#include "TerminationSignals.h"
#include "UnitFmTallixor.h"
#include "kstrColors.h"
#include "kstrGlobal.h"

int main(int argc, char** argv) {
    // The units start in this order and shut down in reverse, around the GUI's whole life.
    KstrGlobalUnit globalUnit;
    KstrColorsUnit colorsUnit;

    TallixApplication application(argc, argv);
    TFmTallixor window;
    FmTallixor = &window;
    // A session that ends the program by signal gets the same way out as the close box.
    tallix::platform::TerminationSignals terminationSignals;
    QObject::connect(&terminationSignals,
                     &tallix::platform::TerminationSignals::terminationRequested, &window,
                     &QWidget::close);
    window.show();
    const int status = TallixApplication::exec();
    FmTallixor = nullptr;
    return status;
}
