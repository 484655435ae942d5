#include "NullSink.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QThread>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <utility>

namespace tallix::voice::test {
namespace {

// Qt starts a process through vfork: the child's exec runs ThreadSanitizer's hooks on the
// parent's memory, and the starting thread loses its view of its own locks for good, so that the
// tests' players would be reported racing with themselves. So helpers are never started from a
// test's thread: a command runs to its end on a short-lived thread of its own, and a helper that
// keeps running is started detached (forked twice, which the sanitizer follows).
struct Finished {
    bool ok = false;
    QByteArray output;
};

Finished run(const QString& program, const QStringList& arguments, int limitMs = 5000) {
    Finished finished;
    std::thread([&] {
        QProcess process;
        process.start(program, arguments);
        finished.ok = process.waitForFinished(limitMs) &&
                      process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
        finished.output = process.readAllStandardOutput();
    }).join();
    return finished;
}

bool runQuietly(const QString& program, const QStringList& arguments) {
    return run(program, arguments).ok;
}

// Started detached with `env`, its output going to `output` and its messages to `log`; 0 when
// it could not be started.
qint64 startHelper(const QString& program, const QStringList& arguments,
                   const QProcessEnvironment& env, const QString& output, const QString& log) {
    QProcess process;
    process.setProgram(program);
    process.setArguments(arguments);
    process.setProcessEnvironment(env);
    process.setStandardOutputFile(output);
    process.setStandardErrorFile(log, QIODevice::Append);
    qint64 pid = 0;
    return process.startDetached(&pid) ? pid : 0;
}

// Whether the process runs (or is stopped); a zombie no longer counts.
bool alive(qint64 pid) {
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (pid == 0 || !stat.open(QIODevice::ReadOnly)) {
        return false;
    }
    const QByteArray text = stat.readAll();
    const qsizetype state = text.lastIndexOf(')') + 2;
    return state > 1 && state < text.size() && text[state] != 'Z';
}

void signal(qint64 pid, const char* which) {
    if (pid != 0) {
        runQuietly("kill", {which, QString::number(pid)});
    }
}

} // namespace

NullSink::~NullSink() {
    stop();
}

void NullSink::stop() {
    for (qint64* pid : {&m_otherRecorder, &m_recorder, &m_server, &m_session, &m_graph, &m_bus}) {
        if (alive(*pid)) {
            signal(*pid, "-KILL");
            for (int i = 0; i < 300 && alive(*pid); ++i) {
                QThread::msleep(10);
            }
        }
        *pid = 0;
    }
}

void NullSink::pause() {
    signal(m_server, "-STOP");
}

void NullSink::resume() {
    signal(m_server, "-CONT");
}

// PipeWire's pulse server does not suspend a sink that a stream plays to, and a paused sink
// node is started again as the stream next plays. A stopped graph holds every sink while the
// pulse server still answers, as a device that another program holds.
bool NullSink::suspend(bool held) {
    if (!m_pipeWire) {
        return runQuietly("pactl", {"suspend-sink", "tallix_test", held ? "1" : "0"});
    }
    if (!alive(m_graph)) {
        return false;
    }
    signal(m_graph, held ? "-STOP" : "-CONT");
    return true;
}

// The server's index of the named sink, which PipeWire's pulse server gives as the node's id.
QString NullSink::sinkIndex(const QString& name) {
    const QString sinks = QString::fromUtf8(run("pactl", {"list", "short", "sinks"}).output);
    for (const QString& line : sinks.split('\n', Qt::SkipEmptyParts)) {
        if (line.section('\t', 1, 1) == name) {
            return line.section('\t', 0, 0);
        }
    }
    return {};
}

QString NullSink::sinkInputs() const {
    return QString::fromUtf8(run("pactl", {"list", "sink-inputs"}).output);
}

bool NullSink::start(QString& why) {
    const QStringList tools = m_pipeWire ? QStringList{"dbus-daemon",    "pipewire", "wireplumber",
                                                       "pipewire-pulse", "parec",    "pactl"}
                                         : QStringList{"pulseaudio", "parec", "pactl"};
    for (const QString& tool : tools) {
        if (QStandardPaths::findExecutable(tool).isEmpty()) {
            why = QStringLiteral("%1 is not installed").arg(tool);
            return false;
        }
    }
    if (!m_runtime.isValid()) {
        why = "no temporary folder";
        return false;
    }
    QDir().mkpath(qEnvironmentVariable("HOME", m_runtime.path()));
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(m_runtime.path()));
    qunsetenv("PULSE_SERVER");
    qunsetenv("TALLIX_SOUND_OUTPUT");
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    if (!(m_pipeWire ? startPipeWire(env, why) : startPulseAudio(env, why))) {
        return false;
    }
    m_captureFile = m_runtime.filePath("capture.raw");
    if (!startRecorder(m_recorder, "tallix_test", m_captureFile)) {
        why = "parec records nothing";
        return false;
    }
    return true;
}

// Recording runs from before the first sound: an idle null sink otherwise delays each play.
bool NullSink::startRecorder(qint64& recorder, const QString& sink, const QString& file) {
    recorder = startHelper("parec",
                           {"-d", sink + ".monitor", "--latency-msec=20", "--format=s16le",
                            QStringLiteral("--rate=%1").arg(kRate), "--channels=1", "--raw"},
                           QProcessEnvironment::systemEnvironment(), file,
                           m_runtime.filePath("parec.log"));
    for (int i = 0; i < 300 && QFile(file).size() == 0; ++i) {
        QThread::msleep(10);
    }
    return QFile(file).size() > 0;
}

bool NullSink::addOtherSink(QString& why) {
    if (alive(m_otherRecorder)) {
        return true;
    }
    // At the rate and channels of most sound cards, unlike the first.
    const Finished loaded = run("pactl", {"load-module", "module-null-sink",
                                          "sink_name=tallix_other", "rate=48000", "channels=2"});
    m_otherModule = QString::fromUtf8(loaded.output).trimmed();
    if (!loaded.ok || m_otherModule.isEmpty()) {
        why = "the server refuses a second null sink";
        return false;
    }
    m_otherCaptureFile = m_runtime.filePath("other.raw");
    if (!startRecorder(m_otherRecorder, "tallix_other", m_otherCaptureFile)) {
        why = "parec records nothing on the second sink";
        return false;
    }
    return true;
}

// PipeWire's pulse server answers a move before its session manager has linked the stream to
// the other sink: the move is over once the server lists every stream there. Now and then
// (3 moves of 8 here) it answers one and never makes it, the stream staying where it was, so a
// stream still not there is asked to move again, as a user whose drag did nothing drags again.
bool NullSink::moveStreamsToOtherSink(QString& why) {
    const QString other = sinkIndex("tallix_other");
    const auto elsewhere = [&] {
        QStringList streams =
            QString::fromUtf8(run("pactl", {"list", "short", "sink-inputs"}).output)
                .split('\n', Qt::SkipEmptyParts);
        streams.removeIf([&](const QString& line) { return line.section('\t', 1, 1) == other; });
        return streams;
    };
    // Our own recorders read from monitors and are no sink inputs: every line is a player.
    QStringList streams = elsewhere();
    const bool any = !streams.isEmpty();
    for (int i = 0; i < 400 && any && !other.isEmpty(); ++i) {
        if (i % 40 == 0) {
            for (const QString& line : streams) {
                runQuietly("pactl", {"move-sink-input", line.section('\t', 0, 0), "tallix_other"});
            }
        }
        QThread::msleep(5);
        streams = elsewhere();
        if (streams.isEmpty()) {
            return true;
        }
    }
    why = QStringLiteral("sink %1 is not where the server lists every stream: %2")
              .arg(other, any ? streams.join(" | ") : QStringLiteral("none listed"));
    return false;
}

bool NullSink::startPulseAudio(const QProcessEnvironment& env, QString& why) {
    const QString log = m_runtime.filePath("server.log");
    m_server = startHelper(
        "pulseaudio",
        {"-n", "--daemonize=no", "--use-pid-file=no", "--exit-idle-time=-1", "--disallow-exit",
         QStringLiteral("--load=module-null-sink sink_name=tallix_test rate=%1 channels=1")
             .arg(kRate),
         "--load=module-native-protocol-unix"},
        env, log, log);
    if (!waitForServer()) {
        QFile messages(log);
        messages.open(QIODevice::ReadOnly);
        why = "PulseAudio did not start: " + QString::fromLocal8Bit(messages.readAll());
        return false;
    }
    return true;
}

// The session bus, the graph, its session manager and its pulse server, each a child of this
// process, then the null sink made the default one.
bool NullSink::startPipeWire(QProcessEnvironment& env, QString& why) {
    const QString bus = "unix:path=" + m_runtime.filePath("bus");
    qputenv("DBUS_SESSION_BUS_ADDRESS", bus.toUtf8());
    env.insert("DBUS_SESSION_BUS_ADDRESS", bus);
    const QString log = m_runtime.filePath("server.log");
    m_bus =
        startHelper("dbus-daemon", {"--session", "--nofork", "--address=" + bus}, env, log, log);
    for (int i = 0; i < 200 && !QFile::exists(m_runtime.filePath("bus")); ++i) {
        QThread::msleep(10);
    }
    // The graph runs at the sink's rate: at its own default (48 kHz) every sound would be
    // resampled twice on its way to the recording, which then differs from the files played.
    // Its shortest cycle stays what a desktop's graph at 48 kHz allows a pulse client (256
    // frames there, 5.3 ms): the pulse server's floor, scaled to this rate, would otherwise be
    // rounded down to half of it.
    const QString config = m_runtime.filePath("config");
    QDir().mkpath(config + "/pipewire/pipewire.conf.d");
    QFile rate(config + "/pipewire/pipewire.conf.d/rate.conf");
    if (!rate.open(QIODevice::WriteOnly) ||
        rate.write(QStringLiteral("context.properties = { default.clock.rate = %1 "
                                  "default.clock.allowed-rates = [ %1 ] "
                                  "default.clock.min-quantum = 128 }\n")
                       .arg(kRate)
                       .toUtf8()) < 0) {
        why = "cannot configure PipeWire";
        return false;
    }
    rate.close();
    // The session manager keeps where each kind of stream was last moved: a state of its own for
    // each server, or a stream moved by one test would start on the other sink in the next.
    QProcessEnvironment serverEnv = env;
    serverEnv.insert("XDG_CONFIG_HOME", config);
    serverEnv.insert("XDG_STATE_HOME", m_runtime.filePath("state"));
    for (auto [pid, program] :
         {std::pair{&m_graph, "pipewire"}, std::pair{&m_session, "wireplumber"},
          std::pair{&m_server, "pipewire-pulse"}}) {
        *pid = startHelper(program, {}, serverEnv, log, log);
        QThread::msleep(300);
    }
    // The pulse server feeds its clients' streams to the graph from its main thread, which has
    // one cycle (5.8 ms here) to do it. On this shared machine an ordinary thread now and then
    // misses that, and the graph puts a cycle of silence into the stream being played: 13 such
    // gaps in 2 minutes of playing; 3 with the thread given real-time priority. Where the
    // system does not allow that, the server runs as it is.
    runQuietly("chrt", {"--fifo", "--pid", "10", QString::number(m_server)});
    for (int i = 0; i < 100; ++i) {
        if (runQuietly("pactl", {"info"})) {
            runQuietly("pactl", {"load-module", "module-null-sink", "sink_name=tallix_test",
                                 QStringLiteral("rate=%1").arg(kRate), "channels=1"});
            runQuietly("pactl", {"set-default-sink", "tallix_test"});
            break;
        }
        QThread::msleep(50);
    }
    if (!waitForServer()) {
        QFile messages(log);
        messages.open(QIODevice::ReadOnly);
        why = "PipeWire did not start: " + QString::fromLocal8Bit(messages.readAll());
        return false;
    }
    return true;
}

bool NullSink::waitForServer() {
    for (int i = 0; i < 100; ++i) {
        if (!alive(m_server)) {
            return false;
        }
        const Finished info = run("pactl", {"info"}, 2000);
        if (info.ok && info.output.contains("tallix_test")) {
            return true;
        }
        QThread::msleep(50);
    }
    return false;
}

void NullSink::removeOtherSink() {
    signal(m_otherRecorder, "-KILL");
    m_otherRecorder = 0;
    runQuietly("pactl", {"unload-module", m_otherModule});
}

std::vector<short> NullSink::capture() const {
    return readCapture(m_captureFile);
}

std::vector<short> NullSink::otherCapture() const {
    return readCapture(m_otherCaptureFile);
}

std::vector<short> NullSink::readCapture(const QString& path) {
    QFile file(path);
    std::vector<short> samples;
    if (file.open(QIODevice::ReadOnly)) {
        const QByteArray bytes = file.readAll();
        samples.resize(static_cast<std::size_t>(bytes.size()) / 2);
        std::memcpy(samples.data(), bytes.constData(), samples.size() * 2);
    }
    return samples;
}

namespace {

constexpr double kLoud = 1000; // a tone at half scale peaks at 16384
constexpr double kMaxGapSeconds = 0.004;

// Every half period of a tone lies between two zero crossings; its length tells the tone apart,
// so the edges of tones that follow each other without a pause are found within a half period.
struct HalfPeriod {
    double start; // seconds
    double end;
    int frequency; // the nearest of those asked for
};

std::vector<HalfPeriod> halfPeriods(const std::vector<short>& samples,
                                    const std::vector<int>& frequencies) {
    std::vector<HalfPeriod> result;
    double lastCrossing = -1;
    double peak = 0;
    for (std::size_t i = 1; i < samples.size(); ++i) {
        const double a = samples[i - 1];
        const double b = samples[i];
        peak = std::max(peak, std::abs(b));
        if ((a < 0) == (b < 0)) {
            continue;
        }
        const double crossing = (static_cast<double>(i - 1) + a / (a - b)) / NullSink::kRate;
        if (lastCrossing >= 0 && peak > kLoud) {
            const double frequency = 0.5 / (crossing - lastCrossing);
            int nearest = frequencies.front();
            for (const int candidate : frequencies) {
                if (std::abs(frequency - candidate) < std::abs(frequency - nearest)) {
                    nearest = candidate;
                }
            }
            if (std::abs(frequency - nearest) < 0.15 * nearest) {
                result.push_back({lastCrossing, crossing, nearest});
            }
        }
        lastCrossing = crossing;
        peak = 0;
    }
    return result;
}

// Whether the stretch between two half periods is what a server that loses up to `serverLoss`
// samples left: digital silence no longer than that, with less of the tone's own quiet edges
// about it than the gap that a tone may leave anyway.
bool lostByServer(const std::vector<short>& samples, double from, double to,
                  std::size_t serverLoss) {
    const auto first = static_cast<std::size_t>(from * NullSink::kRate);
    const auto last = std::min(samples.size(), static_cast<std::size_t>(to * NullSink::kRate));
    if (serverLoss == 0 || last <= first ||
        to - from > kMaxGapSeconds + static_cast<double>(serverLoss) / NullSink::kRate) {
        return false;
    }
    std::size_t zeros = 0;
    std::size_t longest = 0;
    for (std::size_t i = first; i < last; ++i) {
        zeros = samples[i] == 0 ? zeros + 1 : 0;
        longest = std::max(longest, zeros);
    }
    return longest > 0 && longest <= serverLoss &&
           static_cast<double>(last - first - longest) / NullSink::kRate < kMaxGapSeconds;
}

} // namespace

std::vector<ToneRun> toneRuns(const std::vector<short>& samples,
                              const std::vector<int>& frequencies, std::size_t serverLoss) {
    std::vector<ToneRun> runs;
    for (const HalfPeriod& half : halfPeriods(samples, frequencies)) {
        const double gap =
            runs.empty() ? 0 : half.start - (runs.back().startSeconds + runs.back().seconds);
        const bool same = !runs.empty() && runs.back().frequency == half.frequency;
        const bool lost = same && gap >= kMaxGapSeconds &&
                          lostByServer(samples, half.start - gap, half.start, serverLoss);
        if (same && (gap < kMaxGapSeconds || lost)) {
            runs.back().seconds = half.end - runs.back().startSeconds;
            runs.back().serverLossSeconds += lost ? gap : 0;
        } else {
            runs.push_back({half.frequency, half.start, half.end - half.start});
        }
    }
    // A stray half period where one tone meets the next is no tone of its own.
    std::erase_if(runs, [](const ToneRun& run) { return run.seconds < 0.01; });
    return runs;
}

} // namespace tallix::voice::test
