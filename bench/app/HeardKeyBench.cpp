// What a listener hears, measured at the monitor of a private PulseAudio null sink:
// - key to sound: from a key event at the real window to the first audible sample, beside
//   speech-dispatcher with espeak-ng speaking the same character in the same run;
// - silence between recordings while the reader thread reads 550 of them, and how many of them
//   came out broken up;
// - key to sound on a 1 MB text while its background save writes the file, beside the same
//   without a save running;
// - what a stalled server (SIGSTOP for 4 s) costs the reader thread.
// Run: bench_heard_key [keys]   (figures in milliseconds)
#include "LargeNumbers.h"
#include "NullSink.h"
#include "WavWriter.h"
#include "app/UnitFmTallixor.h"
#include "env/kstrGlobal.h"
#include "platform/SoundPlayer.h"
#include "voice/ClassNumberVoice.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QLocalSocket>
#include <QPlainTextEdit>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <mutex>
#include <numbers>
#include <optional>
#include <thread>
#include <vector>

#include <pthread.h>
#include <pulse/simple.h>

using namespace tallix;

namespace {

using tallix::bench::oneMegabyteOfNumbers;

using Clock = std::chrono::steady_clock;
using tallix::voice::test::NullSink;
using tallix::voice::test::ToneRun;
using tallix::voice::test::toneRuns;
using tallix::voice::test::writeWav;

constexpr int kRate = NullSink::kRate;
constexpr int kChunkFrames = 32;
constexpr int kLoud = 1000;

double millis(Clock::duration duration) {
    return std::chrono::duration<double, std::milli>(duration).count();
}

// Reads the sink's monitor in small pieces and notes when each piece arrived.
class Monitor {
public:
    bool start() {
        const pa_sample_spec sampleFormat{PA_SAMPLE_S16LE, kRate, 1};
        pa_buffer_attr attributes{};
        attributes.maxlength = static_cast<std::uint32_t>(-1);
        attributes.fragsize = kChunkFrames * 2;
        int error = 0;
        m_stream = pa_simple_new(nullptr, "bench", PA_STREAM_RECORD, "tallix_test.monitor",
                                 "monitor", &sampleFormat, nullptr, &attributes, &error);
        if (m_stream == nullptr) {
            return false;
        }
        m_reader = std::thread([this] { read(); });
        // The monitor stands in for the listener's ear, which no load delays: where the system
        // allows it, its reader runs at real-time priority, so that busy cores do not make its
        // timestamps late, for Tallix and speech-dispatcher alike.
        sched_param priority{};
        priority.sched_priority = 20;
        pthread_setschedparam(m_reader.native_handle(), SCHED_FIFO, &priority);
        return true;
    }
    ~Monitor() {
        if (m_stream != nullptr) {
            m_stop = true;
            m_reader.join();
            pa_simple_free(m_stream);
        }
    }

    // When the first audible sample that arrived after `after` reached the monitor.
    std::optional<Clock::time_point> onsetAfter(Clock::time_point after, Clock::duration timeout) {
        const Clock::time_point giveUp = Clock::now() + timeout;
        for (;;) {
            {
                std::lock_guard lock(m_lock);
                const auto first = std::partition_point(
                    m_chunks.begin(), m_chunks.end(),
                    [after](const Chunk& chunk) { return chunk.arrived <= after; });
                for (auto chunk = first; chunk != m_chunks.end(); ++chunk) {
                    if (loud(*chunk)) {
                        return chunk->arrived;
                    }
                }
            }
            if (Clock::now() >= giveUp) {
                return std::nullopt;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }

    // Waits until nothing audible has arrived for `quiet`.
    void waitForQuiet(Clock::duration quiet) {
        for (;;) {
            std::this_thread::sleep_for(quiet / 4);
            std::lock_guard lock(m_lock);
            if (Clock::now() - m_lastLoud > quiet) {
                return;
            }
        }
    }

private:
    struct Chunk {
        Clock::time_point arrived;
        std::array<short, kChunkFrames> samples;
    };

    static bool loud(const Chunk& chunk) {
        return std::any_of(chunk.samples.begin(), chunk.samples.end(),
                           [](short sample) { return std::abs(sample) > kLoud; });
    }

    void read() {
        Chunk chunk{};
        while (!m_stop) {
            if (pa_simple_read(m_stream, chunk.samples.data(), sizeof chunk.samples, nullptr) < 0) {
                return;
            }
            chunk.arrived = Clock::now();
            std::lock_guard lock(m_lock);
            m_chunks.push_back(chunk);
            if (loud(chunk)) {
                m_lastLoud = chunk.arrived;
            }
        }
    }

    pa_simple* m_stream = nullptr;
    std::thread m_reader;
    std::atomic<bool> m_stop{false};
    std::mutex m_lock;
    std::vector<Chunk> m_chunks;
    Clock::time_point m_lastLoud{};
};

// A private speech-dispatcher on the same sink, spoken to in its own protocol as a screen reader
// does when it echoes a typed character.
class SpeechDispatcher {
public:
    bool start(const QString& folder) {
        const QString socketPath = folder + QStringLiteral("/speechd.sock");
        m_server.start(QStringLiteral("speech-dispatcher"),
                       {"-s", "-t", "0", "-c", "unix_socket", "-S", socketPath});
        for (int i = 0; i < 100 && !m_socket.isOpen(); ++i) {
            QThread::msleep(100);
            m_socket.connectToServer(socketPath);
            m_socket.waitForConnected(500);
        }
        return m_socket.isOpen() &&
               command("SET SELF CLIENT_NAME bench:bench:main").startsWith("208");
    }
    ~SpeechDispatcher() {
        m_socket.abort();
        m_server.kill();
        m_server.waitForFinished(3000);
    }
    void speakCharacter(char character) { command(QByteArray("CHAR ") + character); }

private:
    QByteArray command(const QByteArray& line) {
        m_socket.write(line + "\r\n");
        m_socket.flush();
        QByteArray reply;
        while (!reply.contains(' ') || !reply.endsWith("\r\n")) {
            if (!m_socket.waitForReadyRead(3000)) {
                break;
            }
            reply += m_socket.readAll();
        }
        return reply;
    }

    QProcess m_server;
    QLocalSocket m_socket;
};

void report(const char* what, std::vector<double> values) {
    if (values.empty()) {
        std::printf("%-48s no figures\n", what);
        return;
    }
    std::sort(values.begin(), values.end());
    const auto at = [&](double share) {
        return values[std::min(values.size() - 1, static_cast<std::size_t>(share * values.size()))];
    };
    std::printf("%-48s n=%zu median=%.1f p90=%.1f max=%.1f\n", what, values.size(), at(0.5),
                at(0.9), values.back());
}

void waitFor(const std::function<bool()>& done) {
    while (!done()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
    }
}

// One key typed into the window now; how long until it is heard, if it is.
std::optional<double> timeKey(QPlainTextEdit* memo, Monitor& monitor) {
    QKeyEvent press(QEvent::KeyPress, Qt::Key_7, Qt::NoModifier, QStringLiteral("7"));
    const Clock::time_point sent = Clock::now();
    QApplication::sendEvent(memo, &press);
    std::optional<Clock::time_point> heard;
    waitFor([&] {
        heard = monitor.onsetAfter(sent, std::chrono::milliseconds(0));
        return heard || Clock::now() - sent > std::chrono::seconds(2);
    });
    if (!heard)
        return std::nullopt;
    return millis(*heard - sent);
}

// The same once the sound before it has ended.
std::optional<double> heardKey(QPlainTextEdit* memo, Monitor& monitor) {
    monitor.waitForQuiet(std::chrono::milliseconds(300));
    return timeKey(memo, monitor);
}

// Keys on a text of about 1 MB, each typed while the background save that the key before it set
// off is writing the file (its temporary file is there), beside the keys that set them off.
struct SavingFigures {
    std::vector<double> quiet;
    std::vector<double> whileSaving;
};

SavingFigures keyToSoundWhileSaving(TFmTallixor& window, Monitor& monitor,
                                    const QString& dataFolder, int keys) {
    auto* memo = window.findChild<QPlainTextEdit*>(QStringLiteral("Memo"));
    memo->moveCursor(QTextCursor::End);
    const QDir folder(dataFolder);
    const auto saveRunning = [&] {
        return !folder.entryList({QStringLiteral("nums.txt.*")}, QDir::Files | QDir::Hidden)
                    .isEmpty();
    };
    SavingFigures figures;
    for (int key = 0; key < keys; ++key) {
        if (const auto delay = heardKey(memo, monitor))
            figures.quiet.push_back(*delay);
        const Clock::time_point giveUp = Clock::now() + std::chrono::seconds(4);
        bool seen = false;
        waitFor([&] { return (seen = saveRunning()) || Clock::now() > giveUp; });
        if (!seen)
            continue; // written before it could be seen: this key does not count
        if (const auto delay = timeKey(memo, monitor))
            figures.whileSaving.push_back(*delay);
    }
    return figures;
}

void writeLargeNumsFile(const QString& dataFolder) {
    QDir().mkpath(dataFolder);
    QFile file(dataFolder + QStringLiteral("nums.txt"));
    if (!file.open(QIODevice::WriteOnly))
        return;
    file.write(oneMegabyteOfNumbers());
}

std::vector<double> keyToSound(TFmTallixor& window, Monitor& monitor, int keys) {
    auto* memo = window.findChild<QPlainTextEdit*>(QStringLiteral("Memo"));
    std::vector<double> delays;
    for (int key = 0; key < keys; ++key) {
        if (const auto delay = heardKey(memo, monitor))
            delays.push_back(*delay);
    }
    return delays;
}

std::vector<double> dispatcherKeyToSound(SpeechDispatcher& dispatcher, Monitor& monitor, int keys) {
    std::vector<double> delays;
    for (int key = 0; key < keys; ++key) {
        monitor.waitForQuiet(std::chrono::milliseconds(300));
        const Clock::time_point sent = Clock::now();
        dispatcher.speakCharacter('7');
        if (const auto heard = monitor.onsetAfter(sent, std::chrono::seconds(3))) {
            delays.push_back(millis(*heard - sent));
        }
    }
    return delays;
}

// A voice set of pure tones, one frequency per character, so that every edge can be found.
std::vector<int> writeToneSet(const QString& folder, double seconds) {
    QDir().mkpath(folder);
    std::vector<int> frequencies;
    const QStringList names{"0", "1", "2", "3", "4", "5", "6", "7", "8", "9", "r"};
    for (int i = 0; i < names.size(); ++i) {
        const int frequency = 500 + 200 * i;
        frequencies.push_back(frequency);
        writeWav(folder + names[i] + QStringLiteral(".wav"), SF_FORMAT_PCM_16, 1, kRate, seconds,
                 [frequency](double time, int) {
                     return 0.5 * std::sin(2 * std::numbers::pi * frequency * time);
                 });
    }
    return frequencies;
}

// The reader thread reads `lines` lines of 1234567890 in the tone set.
void readingGaps(NullSink& sink, const QString& folder, int lines) {
    constexpr double kToneSeconds = 0.1;
    const std::vector<int> frequencies = writeToneSet(folder, kToneSeconds);
    const auto voice = tallix::voice::TNumberVoice::Create();
    QObject owner;
    int handed = 0;
    voice->SetOnNeedText(&owner, [&](tallix::voice::TNumberVoice* sender) {
        if (handed < lines) {
            sender->FText = "1234567890\r";
            ++handed;
        }
    });
    voice->FVoicePath = folder;
    const std::size_t from = sink.capture().size();
    voice->Resume();
    waitFor([&] { return handed == lines && voice->Suspended(); });
    QThread::msleep(400);
    std::vector<short> samples = sink.capture();
    samples.erase(samples.begin(), samples.begin() + static_cast<std::ptrdiff_t>(from));
    const std::vector<ToneRun> runs = toneRuns(samples, frequencies);
    std::vector<double> gaps;
    int brokenUp = 0;
    for (std::size_t i = 0; i < runs.size(); ++i) {
        if (std::abs(runs[i].seconds - kToneSeconds) > 0.004) {
            ++brokenUp;
        }
        if (i > 0) {
            gaps.push_back(1000 *
                           (runs[i].startSeconds - runs[i - 1].startSeconds - runs[i - 1].seconds));
            if (gaps.back() > 2) {
                std::printf("reading: %.1f ms of silence before the %d Hz tone at %.2f s\n",
                            gaps.back(), runs[i].frequency, runs[i].startSeconds);
            }
        }
    }
    std::printf("reading: %d recordings played, %zu heard, %d broken up or cut\n", lines * 11,
                runs.size(), brokenUp);
    report("silence between recordings while reading (ms)", gaps);
}

// Tones played one after another as the reader thread plays them, while the server is stopped
// for 4 s: what each play costs beyond its recording's own length.
void stallCost(NullSink& sink, const QString& folder) {
    constexpr double kToneSeconds = 0.2;
    writeToneSet(folder, kToneSeconds);
    const QString tone = folder + QStringLiteral("5.wav");
    tallix::platform::SoundPlayer& player = tallix::platform::systemSoundPlayer();
    std::vector<double> extra;
    double duringStall = 0; // plays begun from the stop until a second after it ended
    double otherwise = 0;
    const Clock::time_point begin = Clock::now();
    std::thread stall([&] {
        std::this_thread::sleep_for(std::chrono::seconds(2));
        sink.pause();
        std::this_thread::sleep_for(std::chrono::seconds(4));
        sink.resume();
    });
    while (Clock::now() - begin < std::chrono::seconds(9)) {
        const Clock::time_point start = Clock::now();
        player.playFile(tone);
        const double beyond = millis(Clock::now() - start) - 1000 * kToneSeconds;
        extra.push_back(beyond);
        const double at = millis(start - begin) / 1000;
        (at >= 2 && at < 7 ? duringStall : otherwise) += beyond;
    }
    stall.join();
    report("stall: time per play beyond its recording (ms)", extra);
    std::printf("stall: %.1f ms beyond the recordings while stopped, %.1f ms otherwise\n",
                duringStall, otherwise);
}

} // namespace

int main(int argc, char** argv) {
    const int keys = argc > 1 ? std::atoi(argv[1]) : 40;
    tallix::platform::prepareSoundEnvironment();
    NullSink sink;
    QString why;
    if (!sink.start(why)) {
        std::fprintf(stderr, "no PulseAudio null sink: %s\n", qPrintable(why));
        return 1;
    }
    Monitor monitor;
    if (!monitor.start()) {
        std::fprintf(stderr, "cannot read the sink's monitor\n");
        return 1;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir root;
    qputenv("TALLIX_EXE_FILE", (root.path() + QStringLiteral("/bin/tallix")).toUtf8());
    qputenv("XDG_CONFIG_HOME", (root.path() + QStringLiteral("/config")).toUtf8());
    qputenv("XDG_DATA_HOME", (root.path() + QStringLiteral("/data")).toUtf8());
    const QString speed = root.path() + QStringLiteral("/bin/speed/");
    QDir().mkpath(speed);
    for (const QString& name :
         QDir(QStringLiteral(TALLIX_VOICES_DIR "/speed")).entryList(QDir::Files)) {
        QFile::copy(QStringLiteral(TALLIX_VOICES_DIR "/speed/") + name, speed + name);
    }
    KstrGlobalUnit global;
    QApplication application(argc, argv);

    SpeechDispatcher dispatcher;
    const bool haveDispatcher = dispatcher.start(root.path());
    {
        TFmTallixor window;
        window.show();
        // Alternating, so that both meet the same load.
        std::vector<double> ours;
        std::vector<double> theirs;
        for (int round = 0; round < 4; ++round) {
            const auto mine = keyToSound(window, monitor, keys / 4);
            ours.insert(ours.end(), mine.begin(), mine.end());
            if (haveDispatcher) {
                const auto other = dispatcherKeyToSound(dispatcher, monitor, keys / 4);
                theirs.insert(theirs.end(), other.begin(), other.end());
            }
        }
        report("key to sound, Tallix (ms)", ours);
        report("character to sound, speech-dispatcher (ms)", theirs);
    }
    {
        const QString dataFolder = AppGlobal->GetDataPath();
        writeLargeNumsFile(dataFolder);
        TFmTallixor window;
        window.show();
        const SavingFigures saving = keyToSoundWhileSaving(window, monitor, dataFolder, keys / 2);
        report("1 MB text: key to sound, no save running (ms)", saving.quiet);
        report("1 MB text: key to sound during a save (ms)", saving.whileSaving);
    }
    // The last key's speech must not run into the tones.
    monitor.waitForQuiet(std::chrono::milliseconds(500));
    readingGaps(sink, root.path() + QStringLiteral("/tones/"), 50);
    stallCost(sink, root.path() + QStringLiteral("/stall/"));
    return 0;
}
