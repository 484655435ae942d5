#include "TallixApplication.h"

#include "ErrorBox.h"
#include "TallixIdentity.h"

TallixApplication::TallixApplication(int& argc, char** argv) : QApplication(argc, argv) {
    setApplicationName(QString::fromUtf8(tallix::identity::InternalName));
    setApplicationDisplayName(QString::fromUtf8(tallix::identity::ProductName));
    setApplicationVersion(QString::fromUtf8(tallix::identity::FileVersion));
}

bool TallixApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& error) {
        tallix::ShowErrorBox(activeWindow(), tallix::MessageOf(error));
        return false;
    }
}
