// The editing commands on a large text: 100,000 lines of 10 digits.
// Run: QT_QPA_PLATFORM=offscreen bench_edit --benchmark_repetitions=5
#include "app/UnitFmTallixor.h"
#include "env/kstrGlobal.h"

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QPlainTextEdit>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

using namespace tallix;

namespace {

QString largeText(QChar firstDigit) {
    QString text;
    text.reserve(100000 * 11);
    for (int line = 0; line < 100000; ++line) {
        text += firstDigit;
        text += QStringLiteral("234567890\n");
    }
    return text;
}

// One data folder for the whole run; each benchmark starts with a fresh window and history.
struct World {
    QTemporaryDir root;
    std::unique_ptr<KstrGlobalUnit> global;
    std::unique_ptr<TFmTallixor> window;

    World() {
        qputenv("TALLIX_EXE_FILE", (root.path() + QStringLiteral("/bin/tallix")).toUtf8());
        qputenv("XDG_CONFIG_HOME", (root.path() + QStringLiteral("/config")).toUtf8());
        qputenv("XDG_DATA_HOME", (root.path() + QStringLiteral("/data")).toUtf8());
        global = std::make_unique<KstrGlobalUnit>();
        window = std::make_unique<TFmTallixor>();
    }
};

World* world = nullptr;

TFmTallixor& window() {
    return *world->window;
}

QPlainTextEdit* memo() {
    return window().findChild<QPlainTextEdit*>(QStringLiteral("Memo"));
}

void writeTextFile(const QString& fileName, const QString& text) {
    QFile file(fileName);
    file.open(QIODevice::WriteOnly);
    file.write(QString(text).replace(QStringLiteral("\n"), QStringLiteral("\r\n")).toUtf8());
}

// A window whose history starts from the given text, loaded from its file as at a start.
TFmTallixor& freshWindow(const QString& text) {
    world->window.reset();
    writeTextFile(AppGlobal->GetDataPath() + QStringLiteral("nums.txt"), text);
    world->window = std::make_unique<TFmTallixor>();
    return window();
}

// Cutting with nothing selected does nothing but record the text, as every edit command does
// before it edits.
void takeSnapshot(benchmark::State& state) {
    const QString texts[2] = {largeText(QLatin1Char('1')), largeText(QLatin1Char('2'))};
    int which = 0;
    for (auto _ : state) {
        state.PauseTiming();
        memo()->setPlainText(texts[which ^= 1]);
        state.ResumeTiming();
        window().MnCutClick();
    }
}

// The same text with one line in its middle changed.
QString withOneLineChanged(QString text) {
    text[50000 * 11] = QLatin1Char('9');
    return text;
}

// Every hundredth line starts with a minus sign, which "数字以外を消去" removes.
QString withSignedLines() {
    QString text = largeText(QLatin1Char('1'));
    for (int line = 0; line < 100000; line += 100)
        text[line * 11] = QLatin1Char('-');
    return text;
}

void undoRedo(benchmark::State& state, bool undo) {
    freshWindow(largeText(QLatin1Char('1')));
    memo()->setPlainText(withOneLineChanged(largeText(QLatin1Char('1'))));
    window().MnCutClick();
    const tallix::UndoHistory& history = window().history();
    for (auto _ : state) {
        state.PauseTiming();
        // Walk back to the other end of the history whenever this end is reached.
        while (undo && !history.canUndo() && history.canRedo())
            window().MnRedoClick();
        while (!undo && !history.canRedo() && history.canUndo())
            window().MnUndoClick();
        state.ResumeTiming();
        if (undo)
            window().MnUndoClick();
        else
            window().MnRedoClick();
    }
}

void clearExtNum(benchmark::State& state) {
    const QString text = withSignedLines();
    for (auto _ : state) {
        state.PauseTiming();
        memo()->setPlainText(text);
        state.ResumeTiming();
        window().MNClearExtNumClick();
    }
}

void exchange(benchmark::State& state) {
    QApplication::clipboard()->setText(largeText(QLatin1Char('3')));
    for (auto _ : state) {
        state.PauseTiming();
        memo()->setPlainText(largeText(QLatin1Char('4')));
        state.ResumeTiming();
        window().BtExchangeClick();
    }
}

// The yardstick for the exchange: building the same document at once.
void bareSetPlainText(benchmark::State& state) {
    const QString texts[2] = {largeText(QLatin1Char('3')), largeText(QLatin1Char('4'))};
    int which = 0;
    for (auto _ : state)
        memo()->setPlainText(texts[which ^= 1]);
}

// Two different files in turn, as a user drops one after the other.
void loadText(benchmark::State& state) {
    QString fileNames[2];
    for (const int which : {0, 1}) {
        fileNames[which] = world->root.filePath(QStringLiteral("large%1.txt").arg(which));
        writeTextFile(fileNames[which], largeText(QLatin1Char(which ? '5' : '6')));
    }
    int which = 0;
    for (auto _ : state) {
        window().kstrFormFunc1DropFile(&window(), fileNames[which ^= 1]);
        window().kstrFormFunc1DropFinish(&window());
    }
}

} // namespace

// Each round first builds the whole document anew, untimed, which takes far longer than the
// snapshot: a fixed count keeps the run short.
BENCHMARK(takeSnapshot)->Iterations(30)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(undoRedo, Undo, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(undoRedo, Redo, false)->Unit(benchmark::kMillisecond);
BENCHMARK(clearExtNum)->Unit(benchmark::kMillisecond);
BENCHMARK(exchange)->Unit(benchmark::kMillisecond);
BENCHMARK(bareSetPlainText)->Unit(benchmark::kMillisecond);
BENCHMARK(loadText)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    World shared;
    world = &shared;
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    world = nullptr;
    return 0;
}
