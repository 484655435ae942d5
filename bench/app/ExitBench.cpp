// Exit: wall time from SIGTERM to the end of the real program, with a 1 MB text and every
// setting written at exit, each byte of both files on disk before the process ends. The program
// runs on the offscreen platform in a private folder; each run starts it anew (not timed).
// Run: bench_exit
#include "LargeNumbers.h"
#include "app/SingleInstance.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLocalSocket>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <benchmark/benchmark.h>

namespace {

using tallix::bench::oneMegabyteOfNumbers;

bool writeFile(const QString& fileName, const QByteArray& bytes) {
    QFile file(fileName);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QByteArray readFile(const QString& fileName) {
    QFile file(fileName);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The program is ready once it answers on its data folder.
bool waitUntilReady(const QString& serverName, QProcess& program) {
    const QDeadlineTimer deadline(30000);
    while (!deadline.hasExpired() && program.state() == QProcess::Running) {
        QLocalSocket socket;
        socket.connectToServer(serverName);
        if (socket.waitForConnected(100))
            return true;
        QThread::msleep(20);
    }
    return false;
}

void exitAfterSigterm(benchmark::State& state) {
    QTemporaryDir root;
    const QString dataFolder = root.filePath(QStringLiteral("bin/Data"));
    QDir().mkpath(dataFolder);
    const QByteArray text = oneMegabyteOfNumbers();
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("TALLIX_EXE_FILE"),
                       root.filePath(QStringLiteral("bin/tallix")));
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), root.filePath(QStringLiteral("config")));
    environment.insert(QStringLiteral("XDG_DATA_HOME"), root.filePath(QStringLiteral("data")));
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    const QString serverName = tallix::SingleInstance::serverName(dataFolder);

    for (auto _ : state) {
        QFile::remove(dataFolder + QStringLiteral("/application.ini"));
        if (!writeFile(dataFolder + QStringLiteral("/nums.txt"), text)) {
            state.SkipWithError("cannot write nums.txt");
            return;
        }
        QProcess program;
        program.setProcessEnvironment(environment);
        program.start(QStringLiteral(TALLIX_PROGRAM), {});
        if (!program.waitForStarted() || !waitUntilReady(serverName, program)) {
            state.SkipWithError("the program did not start");
            return;
        }
        QElapsedTimer clock;
        clock.start();
        program.terminate();
        program.waitForFinished(30000);
        state.SetIterationTime(static_cast<double>(clock.nsecsElapsed()) / 1e9);

        const QByteArray ini = readFile(dataFolder + QStringLiteral("/application.ini"));
        if (readFile(dataFolder + QStringLiteral("/nums.txt")) != text || ini.count('=') != 8) {
            state.SkipWithError("the program ended without saving everything");
            return;
        }
    }
}

BENCHMARK(exitAfterSigterm)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

} // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
