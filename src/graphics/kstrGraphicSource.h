#pragma once

#include "graphics/Bitmap.h"

#include <QString>

#include <memory>
#include <utility>
#include <vector>

namespace tallix::archive {
class TArchiveStream;
}

namespace tallix::graphics {

// The open picture archives, each under its file name without folder and extension. The list
// owns the archive streams: freeing it closes their files.
class TArchiverList {
public:
    TArchiverList();
    ~TArchiverList();
    TArchiverList(const TArchiverList&) = delete;
    TArchiverList& operator=(const TArchiverList&) = delete;

    // Opens and lists the archive when a file (not a folder) of that name exists, for writing
    // where this user may and no other writer holds it, else for reading; a missing file adds
    // nothing. Errors of the archive propagate.
    void AddArchive(const QString& fileName);

    int Count() const { return static_cast<int>(FArchives.size()); }
    const QString& Names(int index) const { return FArchives.at(index).first; }
    tallix::archive::TArchiveStream& Archives(int index) const {
        return *FArchives.at(index).second;
    }

private:
    std::vector<std::pair<QString, std::unique_ptr<tallix::archive::TArchiveStream>>> FArchives;
};

// Where the program's pictures come from: named pictures it owns, the picture archive "graphic"
// and the resource folder beside the executable.
class TGraphicSource {
public:
    // Opens "graphic" beside the executable when it exists.
    TGraphicSource();
    ~TGraphicSource();
    TGraphicSource(const TGraphicSource&) = delete;
    TGraphicSource& operator=(const TGraphicSource&) = delete;

    const TArchiverList& Archivers() const { return *FArchivers; }
    QString FResourcePath;

private:
    std::vector<std::pair<QString, std::unique_ptr<tallix::graphics::TBitmap>>> FPictures;
    std::unique_ptr<TArchiverList> FArchivers;
};

extern TGraphicSource* GraphicSource;

// Explicit unit start-up and shutdown: creates GraphicSource (which opens the picture archive;
// its errors propagate) and frees it again.
class KstrGraphicSourceUnit {
public:
    KstrGraphicSourceUnit();
    ~KstrGraphicSourceUnit();
    KstrGraphicSourceUnit(const KstrGraphicSourceUnit&) = delete;
    KstrGraphicSourceUnit& operator=(const KstrGraphicSourceUnit&) = delete;
};

} // namespace tallix::graphics
