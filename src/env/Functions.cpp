#include "env/Functions.h"

#include "platform/NativeFileNames.h"
#include "platform/NativeFiles.h"
#include "platform/SpecialFolders.h"
#include "platform/TextCodec.h"

#include <QFile>
#include <QUrl>

#include <algorithm>

namespace tallix {

namespace {

const QChar kSeparator = QLatin1Char('/');

static_assert(kCsidlAppData == tallix::platform::kCsidlAppData);
static_assert(kCsidlDesktopDirectory == tallix::platform::kCsidlDesktopDirectory);

} // namespace

void forceFolder(const QString& folder) {
    if (folder.isEmpty() ||
        tallix::platform::fileKind(folder) == tallix::platform::FileKind::Folder)
        return;
    const qsizetype lastSeparator = folder.lastIndexOf(kSeparator);
    if (lastSeparator < 0)
        return;
    const QString parent = lastSeparator == 0 ? QString(kSeparator) : folder.left(lastSeparator);
    // The root is its own parent; stopping there is what keeps this from looping.
    if (parent == folder)
        return;
    forceFolder(parent);
    // Folders made for the program's data are the user's own: others may not read the text.
    tallix::platform::makeFolders(folder, nullptr, tallix::platform::FolderAccess::OwnerOnly);
}

bool isRegularFile(const QString& path) {
    return tallix::platform::fileKind(path) == tallix::platform::FileKind::Regular;
}

QString localFileNameOf(const QUrl& url) {
    if (!url.isLocalFile())
        return QString();
    // The name's bytes as they stand in the address, so that a name that is no UTF-8 (a
    // Shift-JIS name) still names its file.
    return tallix::platform::fileNameFromBytes(
        QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1()));
}

QString getSpecialFolder(int csidl) {
    const QString folder = tallix::platform::specialFolderPath(csidl);
    if (!folder.isEmpty())
        return folder;
    return tallix::platform::specialFolderPath(kCsidlDesktopDirectory);
}

QString stripTrailingBackslashes(const QString& path) {
    qsizetype length = path.size();
    while (length > 0 && path.at(length - 1) == kSeparator)
        --length;
    if (length == 0 && !path.isEmpty())
        return QString(kSeparator);
    return path.left(length);
}

QString linkTarget(const QString& target) {
    if (target.startsWith(QStringLiteral("http:"), Qt::CaseSensitive))
        return target;
    return QStringLiteral("mailto:") + target;
}

namespace {

// The horizontal and vertical tolerances of the on-screen test differ on purpose.
constexpr int kHorizontalTolerance = 4;
constexpr int kVerticalTolerance = 8;

bool isVisibleOn(const QRect& window, const QRect& workArea) {
    const int left = window.x();
    const int top = window.y();
    const int right = left + window.width();
    const int areaLeft = workArea.x();
    const int areaRight = areaLeft + workArea.width();
    const int areaTop = workArea.y();
    const int areaBottom = areaTop + workArea.height();
    const bool topInside =
        areaTop - kVerticalTolerance <= top && top < areaBottom - kVerticalTolerance;
    const bool leftInside = areaLeft - kHorizontalTolerance <= left && left < areaRight;
    const bool rightInside = areaLeft <= right && right + kHorizontalTolerance < areaRight;
    return topInside && (leftInside || rightInside);
}

} // namespace

QRect keepOnScreen(const QRect& window, const QList<QRect>& workAreas, const QRect& primaryScreen) {
    for (const QRect& workArea : workAreas) {
        if (isVisibleOn(window, workArea))
            return window;
    }
    const int width = std::min(window.width(), primaryScreen.width());
    const int height = std::min(window.height(), primaryScreen.height());
    return {primaryScreen.x() + (primaryScreen.width() - width) / 2,
            primaryScreen.y() + (primaryScreen.height() - height) / 2, width, height};
}

std::unique_ptr<QIODevice> loadResourceStream(const QString& name) {
    auto stream = std::make_unique<QFile>(QStringLiteral(":/RC_DATA/") + name);
    if (name.isEmpty() || !stream->open(QIODevice::ReadOnly))
        return nullptr;
    return stream;
}

bool hasDoubleByteChar(const QString& text) {
    using tallix::platform::TextEncoding;
    for (const char32_t codePoint : text.toUcs4()) {
        const auto bytes =
            tallix::platform::encodeText(QString::fromUcs4(&codePoint, 1), TextEncoding::System);
        if (bytes && bytes->size() > 1)
            return true;
    }
    return false;
}

} // namespace tallix
