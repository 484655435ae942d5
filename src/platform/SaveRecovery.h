#pragma once

#include <QString>

namespace tallix::platform {

// Where replacing a file by a rename is not one step (FAT, exFAT), a save cut short between
// the old file's removal and the rename leaves the new text only in the writer's temporary
// file. When the file is missing or empty, the newest temporary that holds something takes its
// place; the name it had is returned, empty when there was nothing to recover. Call it before
// the stale temporaries are cleared away.
QString recoverCutShortSave(const QString& fileName);

} // namespace tallix::platform
