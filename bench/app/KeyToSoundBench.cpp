// Key to sound: from a key event's arrival at the text box to the start of the matching sound,
// with the reader thread idle in between, over 1,000 keys, also while the text (1 MB) is saved in
// the background without pause; and the gap between two characters while reading, recordings
// excluded.
// Run: bench_key_to_sound (prints median and 99th percentile in microseconds).
#include "app/TextKeeper.h"
#include "app/UnitFmTallixor.h"
#include "env/kstrGlobal.h"
#include "platform/SoundPlayer.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <mutex>
#include <vector>

using namespace tallix;

namespace {

using Clock = std::chrono::steady_clock;

// Notes when each sound starts and ends; plays nothing.
class StampingPlayer final : public tallix::platform::SoundPlayer {
public:
    void playFile(const QString&) override {
        std::lock_guard lock(m_lock);
        m_starts.push_back(Clock::now());
        m_ends.push_back(Clock::now());
        m_played = m_starts.size();
    }
    size_t played() const { return m_played; }
    std::vector<Clock::time_point> starts() const {
        std::lock_guard lock(m_lock);
        return m_starts;
    }
    std::vector<Clock::time_point> ends() const {
        std::lock_guard lock(m_lock);
        return m_ends;
    }

private:
    mutable std::mutex m_lock;
    std::vector<Clock::time_point> m_starts;
    std::vector<Clock::time_point> m_ends;
    std::atomic<size_t> m_played{0};
};

void report(const char* what, std::vector<double> micros) {
    std::sort(micros.begin(), micros.end());
    const auto at = [&](double share) {
        return micros[std::min(micros.size() - 1, static_cast<size_t>(share * micros.size()))];
    };
    std::printf("%-40s n=%zu median=%.1f us p99=%.1f us max=%.1f us\n", what, micros.size(),
                at(0.5), at(0.99), micros.back());
}

void waitFor(const std::function<bool()>& done) {
    while (!done())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
}

void makeVoiceSet(const QString& folder) {
    QDir().mkpath(folder);
    for (const char* name : {"0", "1", "2", "3", "4", "5", "6", "7", "8", "9", "d", "r", "s"}) {
        QFile file(folder + QLatin1String(name) + QStringLiteral(".wav"));
        file.open(QIODevice::WriteOnly);
    }
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir root;
    qputenv("TALLIX_EXE_FILE", (root.path() + QStringLiteral("/bin/tallix")).toUtf8());
    qputenv("XDG_CONFIG_HOME", (root.path() + QStringLiteral("/config")).toUtf8());
    qputenv("XDG_DATA_HOME", (root.path() + QStringLiteral("/data")).toUtf8());
    makeVoiceSet(root.path() + QStringLiteral("/bin/speed/"));
    KstrGlobalUnit global;
    QApplication application(argc, argv);
    auto player = std::make_shared<StampingPlayer>();
    TFmTallixor window(nullptr, player);
    window.show();
    auto* memo = window.findChild<QPlainTextEdit*>(QStringLiteral("Memo"));

    const auto measureKeys = [&](const char* what) {
        std::vector<double> keyToSound;
        for (int key = 0; key < 1000; ++key) {
            const size_t before = player->played();
            QKeyEvent press(QEvent::KeyPress, Qt::Key_5, Qt::NoModifier, QStringLiteral("5"));
            const Clock::time_point arrival = Clock::now();
            QApplication::sendEvent(memo, &press);
            waitFor([&] { return player->played() > before; });
            keyToSound.push_back(
                std::chrono::duration<double, std::micro>(player->starts().back() - arrival)
                    .count());
            // Let the thread ask again, find nothing and go idle before the next key.
            waitFor([&] { return !window.voiceState().reading; });
            QElapsedTimer idle;
            idle.start();
            while (idle.elapsed() < 2)
                QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
        }
        report(what, keyToSound);
    };
    measureKeys("key to sound");
    {
        // One save after the other, each as the window's background save makes it.
        const QString megabyte(1 << 20, QLatin1Char('7'));
        tallix::TextKeeper saver(
            root.path() + QStringLiteral("/saved.txt"),
            [&] {
                return tallix::TextFileContent{megabyte, tallix::platform::TextEncoding::System};
            },
            {std::chrono::milliseconds(0), std::chrono::milliseconds(0),
             std::chrono::milliseconds(0)});
        QObject::connect(&saver, &tallix::TextKeeper::backgroundSaveEnded, &saver,
                         &tallix::TextKeeper::textChanged);
        saver.textChanged();
        measureKeys("key to sound, saving in the background");
    }

    QString text;
    for (int line = 0; line < 200; ++line)
        text += QStringLiteral("1234567890\n");
    memo->setPlainText(text);
    memo->moveCursor(QTextCursor::Start);
    const size_t before = player->played();
    window.BtReadClick();
    waitFor([&] { return !window.voiceState().reading; });
    const auto starts = player->starts();
    const auto ends = player->ends();
    std::vector<double> gaps;
    for (size_t i = before + 1; i < starts.size(); ++i)
        gaps.push_back(std::chrono::duration<double, std::micro>(starts[i] - ends[i - 1]).count());
    report("gap between characters while reading", gaps);
    return 0;
}
