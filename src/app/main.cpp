#include "about/kstrColors.h"
#include "app/SingleInstance.h"
#include "app/TallixApplication.h"
#include "app/UnitFmTallixor.h"
#include "env/kstrGlobal.h"
#include "formfunc/ErrorBox.h"
#include "graphics/kstrGraphicSource.h"
#include "platform/AtomicFile.h"
#include "platform/NewFile.h"
#include "platform/SaveRecovery.h"
#include "platform/SoundPlayer.h"
#include "platform/TerminationSignals.h"
#include "platform/WindowSystemChoice.h"

#include <QMessageBox>
#include <QPointer>

#include <memory>
#include <optional>

namespace tallix {
namespace {

// A start-up step failed before any window exists: the user still gets the standard error box.
int reportStartFailure(int argc, char** argv, const std::exception& error) {
    TallixApplication application(argc, argv);
    tallix::showErrorBox(nullptr, tallix::messageOf(error));
    return 1;
}

// A second start on the same data folder: the running window comes to the front and this
// process ends without touching the folder.
int activateRunningProgram(const tallix::SingleInstance& instance) {
    if (!instance.activateRunning())
        QMessageBox::information(
            nullptr, TallixApplication::applicationDisplayName(),
            QStringLiteral("このデータフォルダー (%1) を使う Tallix がすでに動いています。")
                .arg(AppGlobal->GetDataFolder()));
    return 0;
}

void showWarning(const QString& message) {
    QMessageBox::warning(nullptr, TallixApplication::applicationDisplayName(), message);
}

// What saves cut short by a kill or a power cut left beside the files: a temporary that is the
// only whole copy of a file (a rename that was not one step) takes the file's place, the rest
// go. Only while no other program can be saving into the folder. Returns the temporary that
// became nums.txt again, if one did.
QString clearUpCutShortSaves() {
    const QString dataPath = AppGlobal->GetDataPath();
    QString recoveredText;
    for (const QString& name : {QStringLiteral("nums.txt"), QStringLiteral("application.ini")}) {
        const QString recovered = tallix::platform::recoverCutShortSave(dataPath + name);
        if (name == QStringLiteral("nums.txt"))
            recoveredText = recovered;
        tallix::platform::removeStaleTemporaries(dataPath + name);
    }
    // Replacing a file keeps its rights: one made now, empty, keeps the settings private.
    tallix::platform::createNewFile(dataPath + QStringLiteral("application.ini"), {}, nullptr);
    return recoveredText;
}

// Said once, over the window that shows the text: it comes from a save that was cut short, not
// from nums.txt itself, and may lack the last keys typed before the crash.
QString recoveredTextMessage(const QString& temporary) {
    return QStringLiteral(
               "ファイル %1 がないか空だったため、前回途中で終わった保存の一時ファイル %2 "
               "からテキストを戻しました。内容を確かめてください。")
        .arg(AppGlobal->GetDataPath() + QStringLiteral("nums.txt"), temporary);
}

// Destroying the window saves the text and the settings; the settings writes of shutdown go to
// application.ini in one rewrite instead of one each.
void closeWindow(std::unique_ptr<TFmTallixor> window) {
    TIniWriteBatch settingsWrites;
    window.reset();
    tallix::showErrorsOf(nullptr, [&] { settingsWrites.Commit(); });
}

int runWindow(int argc, char** argv) {
    TallixApplication application(argc, argv);
    // A session that ends the program by signal gets the same way out as the close box. The
    // signals stay caught until the last save is done: a second one (Ctrl+C twice, a closing
    // terminal) must not end the process half-way through saving.
    tallix::platform::TerminationSignals terminationSignals;
    bool terminationRequested = false;
    // The box that announces a recovered text; a signal closes it with the window.
    QPointer<QMessageBox> announcement;
    QObject::connect(&terminationSignals,
                     &tallix::platform::TerminationSignals::terminationRequested, [&] {
                         terminationRequested = true;
                         if (announcement)
                             announcement->reject();
                         if (FmTallixor)
                             FmTallixor->close();
                     });

    tallix::SingleInstance instance(AppGlobal->GetDataFolder());
    if (!instance.isFirst())
        return activateRunningProgram(instance);
    QString recoveredText;
    if (instance.lockUnavailable())
        showWarning(instance.lockUnavailableMessage());
    else
        recoveredText = clearUpCutShortSaves();

    auto window = std::make_unique<TFmTallixor>();
    FmTallixor = window.get();
    if (const QString problem = instance.serve(window.get()); !problem.isEmpty())
        showWarning(problem);
    int status = 0;
    // A signal taken while an error box of the start was open ends the program right away.
    if (!terminationRequested) {
        window->show();
        if (!recoveredText.isEmpty()) {
            QMessageBox box(QMessageBox::Information, TallixApplication::applicationDisplayName(),
                            recoveredTextMessage(recoveredText), QMessageBox::Ok, window.get());
            announcement = &box;
            box.exec();
        }
        // A signal taken while that box was open has closed the window already.
        if (!terminationRequested)
            status = TallixApplication::exec();
    }
    FmTallixor = nullptr;
    // A later start during the error boxes of the exit must not raise what is left of the window.
    instance.stopServing();
    closeWindow(std::move(window));
    return status;
}

} // namespace
} // namespace tallix

int main(int argc, char** argv) {
    using namespace tallix;
    platform::choosePlatformPlugin();
    platform::prepareSoundEnvironment();
    // The units start in this order and shut down in reverse, around the GUI's whole life.
    KstrGlobalUnit globalUnit;
    std::optional<graphics::KstrGraphicSourceUnit> graphicSourceUnit;
    try {
        graphicSourceUnit.emplace();
    } catch (const std::exception& error) {
        return reportStartFailure(argc, argv, error);
    }
    KstrColorsUnit colorsUnit;
    return runWindow(argc, argv);
}
