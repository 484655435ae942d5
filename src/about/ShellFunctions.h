#pragma once

#include <QString>

namespace tallix {

// Opens a link with the desktop's default handler: "http:" targets as web addresses, any other
// text as a mail address. Reports nothing when nothing can open it.
void openLink(const QString& target);

// Opens an existing file or folder with the desktop's default handler: a document in its
// program, a folder in the file browser. Reports nothing when nothing can open it.
void shellOpen(const QString& fileName);

} // namespace tallix
