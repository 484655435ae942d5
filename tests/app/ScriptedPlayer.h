#pragma once

#include "SoundPlayer.h"

#include <QDir>
#include <QFileInfo>
#include <QStringList>
#include <chrono>
#include <mutex>
#include <thread>

// A sound output for window tests: it records the voice set and file of every play ("speed/1")
// and takes a fixed time per file, so that tests can act while a sound is playing.
class ScriptedPlayer final : public tallix::platform::SoundPlayer {
public:
    explicit ScriptedPlayer(std::chrono::milliseconds duration = {}) : duration_(duration) {}

    void playFile(const QString& path) override {
        const QFileInfo file(path);
        const QString name = file.dir().dirName() + QLatin1Char('/') + file.completeBaseName();
        {
            std::lock_guard lock(lock_);
            playing_ = name;
        }
        std::this_thread::sleep_for(duration_);
        std::lock_guard lock(lock_);
        playing_.clear();
        played_ << name;
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
    QString playing_;
    QStringList played_;
};
