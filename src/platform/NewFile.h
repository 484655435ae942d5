#pragma once

#include <QByteArray>
#include <QString>

namespace tallix::platform {

enum class NewFileResult { Created, NameTaken, Failed };

// Creates a file that did not exist, readable and writable by its owner only, with the bytes on
// disk before it returns. Nothing at that name is ever replaced or followed, a link included.
// On failure nothing is left behind and `error` tells why.
NewFileResult createNewFile(const QString& fileName, const QByteArray& bytes, QString* error);

} // namespace tallix::platform
