#include "app/SingleInstance.h"

#include "platform/FileLock.h"
#include "platform/NativeFiles.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QThread>
#include <QWidget>

namespace tallix {

namespace {

const QString kLockFileName = QStringLiteral("tallix.lock");
const QByteArray kActivateRequest = "activate\n";
constexpr int kStartingProgramWaitMs = 5000;
constexpr int kConnectAttemptMs = 250;

} // namespace

SingleInstance::SingleInstance(const QString& dataFolder) : m_serverName(serverName(dataFolder)) {
    // Opened by the file-name layer: the folder's name may hold bytes that are no text.
    const int fd = platform::openFileDescriptor(dataFolder + QLatin1Char('/') + kLockFileName,
                                                platform::OpenMode::ReadWriteCreate);
    if (fd >= 0 && m_lockFile.open(fd, QIODevice::ReadWrite, QFileDevice::AutoCloseHandle))
        m_first = platform::tryLockExclusive(m_lockFile.handle());
}

SingleInstance::~SingleInstance() = default;

QString SingleInstance::serverName(const QString& dataFolder) {
    // The same folder reached by another path (a link, a trailing slash) must give the same name.
    const QString canonical = platform::canonicalPath(dataFolder);
    const QString folder = canonical.isEmpty() ? QDir::cleanPath(dataFolder) : canonical;
    const QByteArray hash = QCryptographicHash::hash(folder.toUtf8(), QCryptographicHash::Sha256);
    return QStringLiteral("tallix-") + QString::fromLatin1(hash.toHex().left(24));
}

bool SingleInstance::activateRunning() const {
    const QDeadlineTimer deadline(kStartingProgramWaitMs);
    while (!deadline.hasExpired()) {
        QLocalSocket socket;
        socket.connectToServer(m_serverName);
        if (socket.waitForConnected(kConnectAttemptMs)) {
            socket.write(kActivateRequest);
            const bool sent = socket.waitForBytesWritten(kConnectAttemptMs);
            socket.disconnectFromServer();
            if (sent)
                return true;
        }
        // The running program may not be listening yet: it still loads its text.
        QThread::msleep(100);
    }
    return false;
}

void SingleInstance::serve(QWidget* window) {
    m_window = window;
    m_server = std::make_unique<QLocalServer>();
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    // A socket left by a program that was killed is ours to replace: we hold the lock.
    QLocalServer::removeServer(m_serverName);
    if (!m_server->listen(m_serverName))
        return;
    connect(m_server.get(), &QLocalServer::newConnection, this, &SingleInstance::answer);
}

void SingleInstance::answer() {
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            if (!socket->readAll().contains(kActivateRequest.trimmed()) || !m_window)
                return;
            if (m_window->isMinimized())
                m_window->showNormal();
            m_window->show();
            m_window->raise();
            m_window->activateWindow();
        });
    }
}

} // namespace tallix
