#pragma once

#include "app/TextFile.h"
#include "platform/FileStamp.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <chrono>
#include <functional>
#include <optional>
#include <thread>

namespace tallix {

// When the background saves of a TextKeeper run.
struct TextKeeperDelays {
    // After the last change.
    std::chrono::milliseconds rest{2000};
    // After the first change that is not saved yet, whatever follows.
    std::chrono::milliseconds longest{5000};
    // Between attempts after a failure.
    std::chrono::milliseconds retry{10000};
};

// Keeps the window's text in its file: saved at exit, and also in the background a short while
// after a change, so that a crash, a kill or a power cut loses at most the last seconds.
//
// - A background save writes a snapshot of the text on a thread of its own, never on the path
//   of a key press, and never while another save runs. It follows once the text has rested, and
//   at the latest a few seconds after the first unsaved change, however the user types.
// - Before each save the file is compared with what this session last read or wrote: a version
//   another program put there meanwhile is kept beside it under a new name first.
// - A save that fails writes the text to a rescue file where it can (the file's folder, then the
//   other folders given), says so once, and is tried again in the background.
// - A session that changed nothing writes nothing.
//
// Main thread only, but for the saving thread.
class TextKeeper : public QObject {
    Q_OBJECT
public:
    using Snapshot = std::function<TextFileContent()>;

    using Delays = TextKeeperDelays;

    // What the file holds now is taken as what the session read from it.
    TextKeeper(QString fileName, Snapshot snapshot, Delays delays = {}, QObject* parent = nullptr);
    // Lets a save in the background finish: the file is never left to a thread that dies.
    ~TextKeeper() override;

    // Folders where a rescue file may go when the file's own folder cannot take one, in order.
    void setRescueFolders(QStringList folders) { m_rescueFolders = std::move(folders); }

    // The bytes the file held at start: a file found touched later (by a backup tool, a sync
    // tool writing the same text back) but holding these bytes is no other version.
    void fileRead(const QByteArray& bytes);

    // The text changed: a background save follows.
    void textChanged();

    // The file was there at start but could not be read: what it holds was never seen, so it
    // is never written over while it exists. The session's text goes to a new file beside it
    // instead, whose name this returns.
    QString keepUnreadFile();

    // Saves the text now, on this thread, once a save in the background has ended; does nothing
    // when nothing changed. Returns a message for the user when another program's version of
    // the file was kept beside it, else nothing. Throws EFileError when the file cannot be
    // written, saying where the text was rescued to.
    QString saveNow();

    bool saving() const { return m_worker.joinable(); }
    bool hasUnsavedChanges() const { return m_changes != m_savedChanges; }

signals:
    // A background save has ended, well or not (for tests and benchmarks).
    void backgroundSaveEnded(bool saved);
    // A background save failed after the last one that succeeded: once, not for every retry.
    void backgroundSaveFailed(const QString& message);
    // Another program's version of the file was kept beside it before the save.
    void otherVersionKept(const QString& message);

private:
    // What the session knows a file to hold: its stamp and, once written, its bytes.
    struct KnownFile {
        QString fileName;
        platform::FileStamp stamp;
        std::optional<QByteArray> bytes;
    };
    struct SaveResult {
        bool saved = false;
        KnownFile known;
        QString otherVersion; // where another program's version was kept
        QString error;
        QString rescueFileName; // where the text went when the save failed
    };
    struct SaveJob {
        QString target;
        TextFileContent content;
        KnownFile known;
        QString rescueFileName;
        QStringList rescueFolders;
    };

    void startBackgroundSave();
    void backgroundSaveFinished(int save);
    void waitForBackgroundSave();
    bool needsSave() const;
    void takeResult(const SaveResult& result, int changes);
    SaveJob job() const;
    QString targetFileName() const;
    // These run on the saving thread and touch nothing of the keeper's.
    static SaveResult runSave(const SaveJob& job);
    static void keepOtherVersion(const SaveJob& job, SaveResult& result);
    static QString rescue(const SaveJob& job, const QByteArray& bytes);
    static QString failureMessage(const SaveResult& result, bool retrying);

    QString m_fileName;
    QString m_unreadRescueFileName;
    QString m_rescueFileName;
    QStringList m_rescueFolders;
    Snapshot m_snapshot;
    KnownFile m_known;
    QTimer m_restTimer;
    QTimer m_longestTimer;
    QTimer m_retryTimer;
    std::thread m_worker;
    SaveResult m_workerResult;
    int m_workerChanges = 0;
    int m_saveNumber = 0;
    int m_changes = 0;
    int m_savedChanges = 0;
    bool m_saveAgain = false;
    bool m_failureShown = false;
};

} // namespace tallix
