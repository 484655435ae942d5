// Saving a 1 MB text: the plain write of the file against the keeper's save, which first
// compares the file on disk with what the session last wrote (and, where another program wrote
// the same bytes again, their content), then writes.
// Run: bench_save --benchmark_repetitions=5
#include "LargeNumbers.h"
#include "app/TextFile.h"
#include "app/TextKeeper.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

using tallix::TextFileContent;
using namespace std::chrono_literals;

TextFileContent megabyte() {
    return {QString::fromLatin1(tallix::bench::oneMegabyteOfNumbers())
                .replace(QStringLiteral("\r\n"), QStringLiteral("\n")),
            tallix::platform::TextEncoding::System};
}

void writeTextFile(benchmark::State& state) {
    QTemporaryDir folder;
    const QString fileName = folder.filePath(QStringLiteral("nums.txt"));
    const TextFileContent content = megabyte();
    for (auto _ : state)
        tallix::writeTextFile(fileName, content);
}
BENCHMARK(writeTextFile)->Unit(benchmark::kMillisecond);

// touched: before each save the file's time is changed (a sync tool writing the same bytes
// again), so that the comparison has to read the file and compare its content.
void keeperSave(benchmark::State& state) {
    const bool touched = state.range(0) != 0;
    QTemporaryDir folder;
    const QString fileName = folder.filePath(QStringLiteral("nums.txt"));
    const TextFileContent content = megabyte();
    tallix::TextKeeper keeper(fileName, [&] { return content; }, {1h, 1h, 1h});
    keeper.textChanged();
    keeper.saveNow();
    qint64 second = 0;
    for (auto _ : state) {
        if (touched) {
            state.PauseTiming();
            QFile file(fileName);
            file.open(QIODevice::ReadWrite);
            file.setFileTime(QDateTime::fromSecsSinceEpoch(++second),
                             QFileDevice::FileModificationTime);
            state.ResumeTiming();
        }
        keeper.textChanged();
        keeper.saveNow();
    }
}
BENCHMARK(keeperSave)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
