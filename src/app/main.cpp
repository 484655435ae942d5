#include "ErrorBox.h"
#include "SoundPlayer.h"
#include "TallixApplication.h"
#include "TerminationSignals.h"
#include "UnitFmTallixor.h"
#include "kstrColors.h"
#include "kstrGlobal.h"
#include "kstrGraphicSource.h"

#include <optional>

namespace {

// A start-up step failed before any window exists: the user still gets the standard error box.
int ReportStartFailure(int argc, char** argv, const std::exception& error) {
    TallixApplication application(argc, argv);
    tallix::ShowErrorBox(nullptr, tallix::MessageOf(error));
    return 1;
}

int RunWindow(int argc, char** argv) {
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

} // namespace

int main(int argc, char** argv) {
    tallix::platform::prepareSoundEnvironment();
    // The units start in this order and shut down in reverse, around the GUI's whole life.
    KstrGlobalUnit globalUnit;
    std::optional<KstrGraphicSourceUnit> graphicSourceUnit;
    try {
        graphicSourceUnit.emplace();
    } catch (const std::exception& error) {
        return ReportStartFailure(argc, argv, error);
    }
    KstrColorsUnit colorsUnit;
    return RunWindow(argc, argv);
}
