#pragma once

#include <QFile>
#include <QObject>
#include <QString>

#include <memory>

class QLocalServer;
class QWidget;

namespace tallix {

// One running program per data folder: two programs on the same folder would each save their
// own text and settings over the other's at exit. The first start holds a lock on a file in the
// folder for as long as it runs and answers later starts, which bring its window to the front
// instead of opening a second one.
class SingleInstance : public QObject {
    Q_OBJECT
public:
    explicit SingleInstance(const QString& dataFolder);
    ~SingleInstance() override;

    // True when this process has the data folder to itself; also when no lock can be taken
    // there at all (a read-only folder, where nothing can be saved either).
    bool isFirst() const { return m_first; }

    // Asks the program that holds the folder to bring its window to the front, waiting a while
    // for it to finish starting. False when it never answered.
    bool activateRunning() const;

    // Later starts on the same folder bring this window to the front from now on.
    void serve(QWidget* window);

    // The local socket name by which the program on this folder is reached.
    static QString serverName(const QString& dataFolder);

private:
    void answer();

    QString m_serverName;
    QFile m_lockFile;
    bool m_first = true;
    std::unique_ptr<QLocalServer> m_server;
    QWidget* m_window = nullptr;
};

} // namespace tallix
