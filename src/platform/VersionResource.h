#pragma once

#include <QString>

#include <optional>

namespace tallix::platform {

// Stand-in for the executable's version resource: the identity strings compiled into the
// program. An empty `TALLIX_NO_VERSION_INFO` variable is ignored; when it is set to anything
// else the program behaves as one built without a version resource (used by tests).
struct VersionStrings {
    QString companyName;
    QString productName;
    QString internalName;
    QString fileVersion;
};

std::optional<VersionStrings> readVersionResource();

} // namespace tallix::platform
