#include "TallixApplication.h"

#include "ApplicationIcon.h"
#include "ErrorBox.h"
#include "TallixIdentity.h"

TallixApplication::TallixApplication(int& argc, char** argv) : QApplication(argc, argv) {
    setApplicationName(QString::fromUtf8(tallix::identity::InternalName));
    setApplicationDisplayName(QString::fromUtf8(tallix::identity::ProductName));
    setApplicationVersion(QString::fromUtf8(tallix::identity::FileVersion));
    // The desktop entry of the same name gives the windows their icon on desktops that look
    // the program up by it.
    setDesktopFileName(QString::fromUtf8(tallix::identity::InternalName));
    setWindowIcon(ApplicationIcon());
}

bool TallixApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& error) {
        tallix::ShowErrorBox(activeWindow(), tallix::MessageOf(error));
        return false;
    }
}
