#pragma once

#include <QString>

namespace tallix::platform {

// What the system tells of a file at one moment, following links: enough to see that another
// program replaced it (another identity) or wrote it (another size or time) since.
struct FileStamp {
    bool exists = false;
    bool regular = false;
    unsigned long long device = 0;
    unsigned long long inode = 0;
    long long size = 0;
    long long modifiedNs = 0;
    long long changedNs = 0;

    bool operator==(const FileStamp&) const = default;
};

FileStamp fileStamp(const QString& fileName);

} // namespace tallix::platform
