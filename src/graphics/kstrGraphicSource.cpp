#include "graphics/kstrGraphicSource.h"

#include "archive/ClassArchiveStream.h"
#include "env/kstrGlobal.h"

#include <QFileInfo>

namespace tallix::graphics {

TGraphicSource* GraphicSource = nullptr;

TArchiverList::TArchiverList() = default;

TArchiverList::~TArchiverList() = default;

void TArchiverList::AddArchive(const QString& fileName) {
    const QFileInfo file(fileName);
    if (!file.isFile())
        return;
    // Written only to initialise an empty file, so a file this user may only read, or one
    // another user or a running copy holds, is opened for reading instead of stopping the start.
    using tallix::archive::TArchiveStream;
    auto archive =
        std::make_unique<TArchiveStream>(fileName, TArchiveStream::Opening::ReadWriteWhereAllowed);
    FArchives.emplace_back(file.completeBaseName(), std::move(archive));
}

TGraphicSource::TGraphicSource() : FArchivers(std::make_unique<TArchiverList>()) {
    FArchivers->AddArchive(AppGlobal->GetExePath() + QStringLiteral("graphic"));
}

TGraphicSource::~TGraphicSource() {
    FPictures.clear();
    FArchivers.reset();
}

KstrGraphicSourceUnit::KstrGraphicSourceUnit() {
    auto source = std::make_unique<TGraphicSource>();
    source->FResourcePath = AppGlobal->GetExePath() + QStringLiteral("resource/");
    GraphicSource = source.release();
}

KstrGraphicSourceUnit::~KstrGraphicSourceUnit() {
    delete GraphicSource;
    GraphicSource = nullptr;
}

} // namespace tallix::graphics
