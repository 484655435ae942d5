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
    explicit ScriptedPlayer(std::chrono::milliseconds duration = {}) : duration_(duration) {}

    void playFile(const QString& path) override {
        const QFileInfo file(path);
        const QString name = file.dir().dirName() + QLatin1Char('/') + file.completeBaseName();
        std::unique_lock lock(lock_);
        playing_ = name;
        lock.unlock();
        std::this_thread::sleep_for(duration_);
        lock.lock();
        released_.wait(lock, [this] { return !held_; });
        playing_.clear();
        played_ << name;
    }

    void hold() {
        std::lock_guard lock(lock_);
        held_ = true;
    }
    void release() {
        std::lock_guard lock(lock_);
        held_ = false;
        released_.notify_all();
    }

    QStringList played() const {
        std::lock_guard lock(lock_);
        return played_;
    }
    QString playing() const {
        std::lock_guard lock(lock_);
        return playing_;
    }

private:
    std::chrono::milliseconds duration_;
    mutable std::mutex lock_;
    std::condition_variable released_;
    bool held_ = false;
    QString playing_;
    QStringList played_;
};
