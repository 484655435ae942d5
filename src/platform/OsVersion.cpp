#include "platform/OsVersion.h"

#include <QString>
#include <QSysInfo>

namespace tallix::platform {

int osMajorVersion() {
    const QString release = QSysInfo::kernelVersion();
    qsizetype digits = 0;
    while (digits < release.size() && release.at(digits).isDigit())
        ++digits;
    bool ok = false;
    const int major = release.left(digits).toInt(&ok);
    return ok ? major : 0;
}

} // namespace tallix::platform
