// A 12 MB nums.txt (1,000,000 lines of 10 digits): how long until the window shows, how much
// resident memory 32 undo snapshots of one-line edits add, and how long an undo and a redo of a
// one-line change take with that history.
// Run: QT_QPA_PLATFORM=offscreen bench_large_file
#include "app/UnitFmTallixor.h"
#include "env/kstrGlobal.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextCursor>

#include <benchmark/benchmark.h>

#include <memory>

using namespace tallix;

namespace {

constexpr int kLines = 1000000;

QByteArray twelveMegabytesOfNumbers() {
    QByteArray text;
    text.reserve(kLines * 12);
    for (int line = 0; line < kLines; ++line)
        text += QByteArray::number(1000000000 + line) + "\r\n";
    return text;
}

// Resident memory of this process in kB, as the kernel counts it.
double residentKilobytes() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').front().toDouble();
    }
    return 0;
}

QPlainTextEdit* memoOf(TFmTallixor& window) {
    return window.findChild<QPlainTextEdit*>(QStringLiteral("Memo"));
}

// Changes one digit of the given line, as a key would.
void editLine(TFmTallixor& window, int line) {
    QTextCursor cursor(memoOf(window)->document()->findBlockByNumber(line));
    cursor.deleteChar();
    cursor.insertText(QStringLiteral("9"));
}

void largeFile(benchmark::State& state) {
    QTemporaryDir root;
    qputenv("TALLIX_EXE_FILE", (root.path() + QStringLiteral("/bin/tallix")).toUtf8());
    qputenv("XDG_CONFIG_HOME", (root.path() + QStringLiteral("/config")).toUtf8());
    qputenv("XDG_DATA_HOME", (root.path() + QStringLiteral("/data")).toUtf8());
    KstrGlobalUnit global;
    QFile file(AppGlobal->GetDataPath() + QStringLiteral("nums.txt"));
    file.open(QIODevice::WriteOnly);
    file.write(twelveMegabytesOfNumbers());
    file.close();

    for (auto _ : state) {
        QElapsedTimer shown;
        shown.start();
        auto window = std::make_unique<TFmTallixor>();
        window->show();
        QApplication::processEvents();
        state.counters["window_shown_ms"] = static_cast<double>(shown.elapsed());

        // One edit and snapshot first: the whole-text buffers every command works with are then
        // in memory already, and what follows is what the history itself adds.
        editLine(*window, 10);
        window->MnCutClick();
        const double before = residentKilobytes();
        for (int snapshot = 0; snapshot < 32; ++snapshot) {
            editLine(*window, 1000 + snapshot * 30000);
            // Cutting with nothing selected records the text and changes nothing.
            window->MnCutClick();
        }
        state.counters["rss_added_by_32_snapshots_MB"] = (residentKilobytes() - before) / 1024;
        state.counters["history_MB"] =
            static_cast<double>(window->history().storedCharacters()) * 2 / (1024 * 1024);

        editLine(*window, 500000);
        QElapsedTimer undo;
        undo.start();
        window->MnUndoClick();
        state.counters["undo_ms"] = static_cast<double>(undo.nsecsElapsed()) / 1e6;
        undo.restart();
        window->MnUndoClick();
        state.counters["second_undo_ms"] = static_cast<double>(undo.nsecsElapsed()) / 1e6;
        undo.restart();
        window->MnRedoClick();
        state.counters["redo_ms"] = static_cast<double>(undo.nsecsElapsed()) / 1e6;
        state.counters["resident_MB"] = residentKilobytes() / 1024;
        state.PauseTiming();
        window.reset();
        state.ResumeTiming();
    }
}

} // namespace

BENCHMARK(largeFile)->Iterations(1)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
