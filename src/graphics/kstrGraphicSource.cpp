#include "graphics/kstrGraphicSource.h"

#include "archive/ClassArchiveStream.h"
#include "env/Functions.h"
#include "env/kstrGlobal.h"

namespace tallix::graphics {

TGraphicSource* GraphicSource = nullptr;

TArchiverList::TArchiverList() = default;

TArchiverList::~TArchiverList() = default;

void TArchiverList::AddArchive(const QString& fileName) {
    // The name may hold bytes that are no text (a Shift-JIS folder): only the file-name layer of
    // the environment may look it up.
    if (!isRegularFile(fileName))
        return;
    // Written only to initialise an empty file, so a file this user may only read, or one
    // another user or a running copy holds, is opened for reading instead of stopping the start.
    using tallix::archive::TArchiveStream;
    auto archive =
        std::make_unique<TArchiveStream>(fileName, TArchiveStream::Opening::ReadWriteWhereAllowed);
    const QString name = fileName.mid(fileName.lastIndexOf(QLatin1Char('/')) + 1);
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    FArchives.emplace_back(dot < 0 ? name : name.left(dot), std::move(archive));
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
