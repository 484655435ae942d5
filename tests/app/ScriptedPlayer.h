#pragma once

#include "platform/SoundPlayer.h"

#include <QDir>
#include <QFileInfo>
#include <QStringList>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

// A sound output for window tests: it records the voice set and file of every play ("speed/1")
// and takes a fixed time per file. While held, a sound does not end until released, so that
// tests can act at a known moment in the middle of it.
class ScriptedPlayer final : public tallix::platform::SoundPlayer {
public:
    explicit ScriptedPlayer(std::chrono::milliseconds duration = {}) : m_duration(duration) {}

    void playFile(const QString& path) override {
        const QFileInfo file(path);
        const QString name = file.dir().dirName() + QLatin1Char('/') + file.completeBaseName();
        std::unique_lock lock(m_lock);
        m_playing = name;
        lock.unlock();
        std::this_thread::sleep_for(m_duration);
        lock.lock();
        m_released.wait(lock, [this] { return !m_held; });
        m_playing.clear();
        m_played << name;
    }

    void hold() {
        std::lock_guard lock(m_lock);
        m_held = true;
    }
    void release() {
        std::lock_guard lock(m_lock);
        m_held = false;
        m_released.notify_all();
    }

    QStringList played() const {
        std::lock_guard lock(m_lock);
        return m_played;
    }
    QString playing() const {
        std::lock_guard lock(m_lock);
        return m_playing;
    }

private:
    std::chrono::milliseconds m_duration;
    mutable std::mutex m_lock;
    std::condition_variable m_released;
    bool m_held = false;
    QString m_playing;
    QStringList m_played;
};
