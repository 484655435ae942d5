#pragma once

#include "app/TextFile.h"

#include <QObject>
#include <QString>
#include <QTimer>

#include <chrono>
#include <functional>
#include <thread>

namespace tallix {

// Keeps the window's text in its file: saved at exit, and also in the background a short while
// after the last change, so that a crash, a kill or a power cut loses at most the last seconds.
// A background save writes a snapshot of the text on a thread of its own, never on the path of
// a key press, and never while another save runs. Main thread only, but for that thread.
class TextKeeper : public QObject {
    Q_OBJECT
public:
    using Snapshot = std::function<TextFileContent()>;

    static constexpr std::chrono::milliseconds kDefaultDelay{2000};

    TextKeeper(QString fileName, Snapshot snapshot, std::chrono::milliseconds delay = kDefaultDelay,
               QObject* parent = nullptr);
    // Lets a save in the background finish: the file is never left to a thread that dies.
    ~TextKeeper() override;

    // The text changed: a background save follows once it has stayed unchanged for the delay.
    void textChanged();

    // The file was there at start but could not be read: what it holds was never seen, so it
    // is never written over while it exists. The session's text goes to a new file beside it
    // instead, whose name this returns.
    QString keepUnreadFile();

    // Saves the text now, on this thread, once a save in the background has ended. Throws
    // EFileError when the file cannot be written.
    void saveNow();

    bool saving() const { return m_worker.joinable(); }

signals:
    // A background save has ended, well or not (for tests and benchmarks).
    void backgroundSaveEnded(bool saved);

private:
    void startBackgroundSave();
    void backgroundSaveFinished(int save, bool saved);
    void waitForBackgroundSave();
    QString targetFileName() const;

    QString m_fileName;
    QString m_rescueFileName;
    Snapshot m_snapshot;
    QTimer m_quietTimer;
    std::thread m_worker;
    int m_saveNumber = 0;
    bool m_changedWhileSaving = false;
};

} // namespace tallix
