#pragma once

#include "platform/FileLock.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <memory>

class QLocalServer;
class QWidget;

namespace tallix {

// One running program per data folder: two programs on the same folder would each save their
// own text and settings over the other's at exit. The first start holds a lock on a file in the
// folder for as long as it runs and answers later starts, which bring its window to the front
// instead of opening a second one. Only programs of the same user are answered or believed.
class SingleInstance : public QObject {
    Q_OBJECT
public:
    explicit SingleInstance(const QString& dataFolder);
    ~SingleInstance() override;

    // True when this process has the data folder to itself; also when no lock can be had there
    // at all (see lockUnavailable).
    bool isFirst() const { return m_lock.state() != platform::LockFile::State::HeldByOther; }

    // No lock could be taken: nothing keeps a second program off the folder. The message says
    // so, naming the file and the reason.
    bool lockUnavailable() const {
        return m_lock.state() == platform::LockFile::State::Unavailable;
    }
    QString lockUnavailableMessage() const;

    // Asks the program that holds the folder to bring its window to the front, waiting a while
    // for it to finish starting. False when it never answered.
    bool activateRunning() const;

    // Later starts on the same folder bring this window to the front from now on. Returns the
    // message to show when they cannot reach it, empty when all is well.
    QString serve(QWidget* window);

    // The window is being closed: later starts no longer reach it, so none can bring back a
    // window that is half taken down.
    void stopServing();

    // The local socket by which the program on this folder is reached: in the user's private
    // runtime folder, or in the data folder where the session has none.
    static QString serverName(const QString& dataFolder);

private:
    void answer();

    QString m_serverName;
    QString m_lockFileName;
    platform::LockFile m_lock;
    std::unique_ptr<QLocalServer> m_server;
    QPointer<QWidget> m_window;
};

} // namespace tallix
