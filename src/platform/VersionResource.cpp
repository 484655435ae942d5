#include "platform/VersionResource.h"

#include "platform/TallixIdentity.h"

#include <QtGlobal>

namespace tallix::platform {

std::optional<VersionStrings> readVersionResource() {
    if (!qEnvironmentVariableIsEmpty("TALLIX_NO_VERSION_INFO"))
        return std::nullopt;
    return VersionStrings{
        QString::fromUtf8(identity::CompanyName), QString::fromUtf8(identity::ProductName),
        QString::fromUtf8(identity::InternalName), QString::fromUtf8(identity::FileVersion)};
}

} // namespace tallix::platform
