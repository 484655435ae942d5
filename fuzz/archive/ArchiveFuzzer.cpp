// Feeds arbitrary bytes to the archive reader (as a file) and to the member list's blob setter.
// Both must either refuse the input with their own error or produce a consistent result.

#include "archive/ClassArchiveStream.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <array>
#include <cstdint>
#include <cstdlib>
#include <string_view>

using namespace tallix::archive;

namespace {

const QString& scratchFile() {
    static const QString path = [] {
        QString file = QDir::temp().filePath(
            QStringLiteral("tallix-archive-fuzz-%1").arg(QCoreApplication::applicationPid()));
        std::atexit([] { QFile::remove(scratchFile()); });
        return file;
    }();
    return path;
}

void writeScratchFile(std::string_view bytes) {
    QFile file(scratchFile());
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(bytes.data(), static_cast<qint64>(bytes.size())) !=
            static_cast<qint64>(bytes.size()))
        std::abort();
}

void requireConsistentList(const TfilesList& files) {
    for (int i = 0; i < files.Count(); ++i)
        if (files.Objects(i)->NameLength() != static_cast<std::int64_t>(files.Strings(i).size()))
            std::abort();
}

void exerciseMember(TArchiveStream& archive, int index) {
    try {
        archive.SelectMember(index);
    } catch (const EarcSTreamError&) {
        return;
    }
    std::array<char, 64> buffer{};
    archive.Read(buffer.data(), static_cast<std::int32_t>(buffer.size()));
    archive.Seek(std::int32_t{-5}, std::uint16_t{2});
    archive.Seek(std::int32_t{3}, std::uint16_t{1});
    try {
        archive.Seek(std::int64_t{1}, SeekOrigin::End);
        archive.GetPosition();
    } catch (const EarcSTreamError&) {
        // Members too short for these positions refuse them; that is the expected answer.
    }
}

void fuzzReload(std::string_view input) {
    writeScratchFile(input);
    try {
        TArchiveStream archive(scratchFile());
        requireConsistentList(archive.Files());
        const int count = archive.Files().Count();
        for (int i = 0; i < count && i < 16; ++i)
            exerciseMember(archive, i);
        archive.Reload();
        if (archive.Files().Count() != count || archive.Index() != -1)
            std::abort();
    } catch (const EarcSTreamError&) {
        // A refused archive is a correct outcome for malformed input.
    }
}

void fuzzSetTextStr(std::string_view input) {
    TfilesList files;
    try {
        files.SetTextStr(input);
    } catch (const EarcSTreamError&) {
        return;
    }
    requireConsistentList(files);
    if (files.GetTextStr() != input)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    fuzzReload(input);
    fuzzSetTextStr(input);
    return 0;
}
