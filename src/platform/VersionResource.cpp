#include "platform/VersionResource.h"

#include "platform/TallixIdentity.h"

#include <QtGlobal>

namespace tallix::platform {

std::optional<VersionStrings> readVersionResource() {
    if (!qEnvironmentVariableIsEmpty("TALLIX_NO_VERSION_INFO"))
        return std::nullopt;
    return VersionStrings{
        QString::fromUtf8(identity::kCompanyName), QString::fromUtf8(identity::kProductName),
        QString::fromUtf8(identity::kInternalName), QString::fromUtf8(identity::kFileVersion)};
}

} // namespace tallix::platform
