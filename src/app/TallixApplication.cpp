#include "app/TallixApplication.h"

#include "about/ApplicationIcon.h"
#include "formfunc/ErrorBox.h"
#include "platform/TallixIdentity.h"

#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace tallix {

TallixApplication::TallixApplication(int& argc, char** argv) : QApplication(argc, argv) {
    setApplicationName(QString::fromUtf8(tallix::identity::kInternalName));
    setApplicationDisplayName(QString::fromUtf8(tallix::identity::kProductName));
    setApplicationVersion(QString::fromUtf8(tallix::identity::kFileVersion));
    // The desktop entry of the same name gives the windows their icon on desktops that look
    // the program up by it.
    setDesktopFileName(QString::fromUtf8(tallix::identity::kInternalName));
    setWindowIcon(applicationIcon());
    tallix::loadQtTranslations(*this);
}

// What Qt itself shows (the scroll bar's menu, the buttons of its message boxes) speaks the
// program's language, whatever the desktop's language is.
bool loadQtTranslations(QCoreApplication& application) {
    auto* translator = new QTranslator(&application);
    if (!translator->load(QLocale(QLocale::Japanese, QLocale::Japan), QStringLiteral("qtbase"),
                          QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    return QCoreApplication::installTranslator(translator);
}

bool TallixApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& error) {
        tallix::showErrorBox(activeWindow(), tallix::messageOf(error));
        return false;
    }
}

} // namespace tallix
