// Opening an archive of 100,000 members (20-byte names, 1 KiB of data each) against reading the
// same file once from start to end. Opening should cost no more than about twice the plain read.

#include "archive/ArchiveWriter.h"
#include "archive/ClassArchiveStream.h"

#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <stdexcept>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

using namespace tallix::archive;

namespace {

constexpr int kMemberCount = 100000;
constexpr int kDataSize = 1024;

const QString& archivePath() {
    static QTemporaryDir dir;
    static const QString path = [] {
        const QString file = dir.filePath("graphic");
        ArchiveWriter writer(file);
        const std::string data(kDataSize, 'd');
        std::vector<char> name(32);
        for (int i = 0; i < kMemberCount; ++i) {
            std::snprintf(name.data(), name.size(), "member-%09d.png", i);
            writer.addMember(std::string_view(name.data(), 20), data);
        }
        writer.commit();
        return file;
    }();
    return path;
}

void openArchive(benchmark::State& state) {
    const QString& path = archivePath();
    for (auto _ : state) {
        TArchiveStream archive(path);
        if (archive.Files().Count() != kMemberCount)
            throw std::runtime_error("wrong member count");
        benchmark::DoNotOptimize(archive.Files().Strings(kMemberCount - 1).data());
    }
    state.SetBytesProcessed(state.iterations() * QFile(path).size());
}

void readFileOnce(benchmark::State& state) {
    const QString& path = archivePath();
    std::vector<char> buffer(1 << 20);
    for (auto _ : state) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
            throw std::runtime_error("cannot open the benchmark archive");
        qint64 total = 0;
        for (qint64 got; (got = file.read(buffer.data(), static_cast<qint64>(buffer.size()))) > 0;)
            total += got;
        benchmark::DoNotOptimize(total);
    }
    state.SetBytesProcessed(state.iterations() * QFile(path).size());
}

} // namespace

BENCHMARK(openArchive)->Unit(benchmark::kMillisecond);
BENCHMARK(readFileOnce)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
