#pragma once

#include "voice/ClassNumberVoice.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <chrono>
#include <functional>

namespace tallix::voice::test {

// The event loop the owner's handler runs on; created once per test process.
inline QCoreApplication& application() {
    static int argc = 1;
    static char name[] = "tallix_voice_test";
    static char* argv[] = {name, nullptr};
    static QCoreApplication* app = new QCoreApplication(argc, argv);
    return *app;
}

// Runs the main thread's event loop until `done` holds or the time is up; returns `done()`.
inline bool runUntil(const std::function<bool()>& done,
                     std::chrono::milliseconds limit = std::chrono::seconds(10)) {
    application();
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return true;
}

// A voice folder holding the thirteen (empty) recordings; the recording player never reads them.
class VoiceFolder {
public:
    VoiceFolder() {
        for (const char* name : {"0", "1", "2", "3", "4", "5", "6", "7", "8", "9", "d", "r", "s"}) {
            QFile file(m_dir.filePath(QString::fromLatin1(name) + QStringLiteral(".wav")));
            file.open(QIODevice::WriteOnly);
        }
    }
    QString path() const { return m_dir.path() + QLatin1Char('/'); }

private:
    QTemporaryDir m_dir;
};

} // namespace tallix::voice::test
