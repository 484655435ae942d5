#pragma once

#include "platform/SoundPlayer.h"

#include <QFileInfo>
#include <QString>

#include <chrono>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace tallix::voice::test {

using Clock = std::chrono::steady_clock;

// A sound output that records what it was asked to play and when, and takes a fixed time.
class RecordingPlayer final : public platform::SoundPlayer {
public:
    struct Play {
        QString file; // the bare file name
        Clock::time_point start;
        Clock::time_point end;
    };

    explicit RecordingPlayer(std::chrono::microseconds duration = {}) : m_duration(duration) {}

    void playFile(const QString& path) override {
        Play play{QFileInfo(path).fileName(), Clock::now(), {}};
        {
            std::lock_guard lock(m_lock);
            m_playing = play.file;
        }
        if (m_duration.count() > 0) {
            std::this_thread::sleep_for(m_duration);
        }
        play.end = Clock::now();
        std::lock_guard lock(m_lock);
        m_playing.clear();
        m_plays.push_back(std::move(play));
    }

    std::vector<Play> plays() const {
        std::lock_guard lock(m_lock);
        return m_plays;
    }
    QStringList files() const {
        QStringList names;
        for (const Play& play : plays()) {
            names << play.file;
        }
        return names;
    }
    // The file being played right now, empty between plays.
    QString playing() const {
        std::lock_guard lock(m_lock);
        return m_playing;
    }

private:
    std::chrono::microseconds m_duration;
    mutable std::mutex m_lock;
    QString m_playing;
    std::vector<Play> m_plays;
};

} // namespace tallix::voice::test
