#include "app/SingleInstance.h"

#include "platform/LocalPeer.h"
#include "platform/NativeFileNames.h"
#include "platform/NativeFiles.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QThread>
#include <QWidget>

namespace tallix {

namespace {

const QString kLockFileName = QStringLiteral("tallix.lock");
const QByteArray kActivateRequest = "activate\n";
constexpr int kStartingProgramWaitMs = 5000;
constexpr int kConnectAttemptMs = 250;

bool isPrivateFolder(const QString& folder) {
    return !folder.isEmpty() && platform::isOwnPrivateFolder(folder);
}

// The folder for the socket: never /tmp, where anyone could take the name first. Qt names the
// socket by the locale's encoding of its name, so a data folder whose name only the byte-exact
// file layer can name (a Shift-JIS folder) cannot hold it; Qt's own private runtime folder
// serves then.
QString socketFolder(const QString& dataFolder) {
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (isPrivateFolder(runtime))
        return runtime;
    if (QFile::encodeName(dataFolder) == platform::fileNameToBytes(dataFolder))
        return dataFolder;
    const QString qtRuntime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    return isPrivateFolder(qtRuntime) ? qtRuntime : dataFolder;
}

} // namespace

SingleInstance::SingleInstance(const QString& dataFolder)
    : m_serverName(serverName(dataFolder)),
      m_lockFileName(QDir(dataFolder).filePath(kLockFileName)), m_lock(m_lockFileName) {}

SingleInstance::~SingleInstance() = default;

QString SingleInstance::lockUnavailableMessage() const {
    return QStringLiteral("ロックファイル %1 を開けません。\n%2\n\n"
                          "同じデータフォルダーを使う Tallix がもう一つ起動しても止められません。"
                          "その場合、あとで終了したほうのテキストが保存されます。")
        .arg(m_lockFileName, m_lock.error());
}

QString SingleInstance::serverName(const QString& dataFolder) {
    // The same folder reached by another path (a link, a trailing slash) must give the same name.
    const QString canonical = platform::canonicalPath(dataFolder);
    const QString folder = canonical.isEmpty() ? QDir::cleanPath(dataFolder) : canonical;
    const QByteArray hash = QCryptographicHash::hash(folder.toUtf8(), QCryptographicHash::Sha256);
    return QDir(socketFolder(dataFolder))
        .filePath(QStringLiteral("tallix-") + QString::fromLatin1(hash.toHex().left(24)));
}

bool SingleInstance::activateRunning() const {
    const QDeadlineTimer deadline(kStartingProgramWaitMs);
    while (!deadline.hasExpired()) {
        QLocalSocket socket;
        socket.connectToServer(m_serverName);
        if (socket.waitForConnected(kConnectAttemptMs)) {
            // A socket of another user is a stranger's: nothing is sent to it.
            if (!platform::peerIsSameUser(socket.socketDescriptor()))
                return false;
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

QString SingleInstance::serve(QWidget* window) {
    m_window = window;
    m_server = std::make_unique<QLocalServer>();
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    // A socket left by a program that was killed is ours to replace: we hold the lock.
    QLocalServer::removeServer(m_serverName);
    if (!m_server->listen(m_serverName))
        return QStringLiteral("%1 で待ち受けできません。\n%2\n\n"
                              "Tallix をもう一度起動しても、このウィンドウは前面に出ません。")
            .arg(m_serverName, m_server->errorString());
    connect(m_server.get(), &QLocalServer::newConnection, this, &SingleInstance::answer);
    return {};
}

void SingleInstance::stopServing() {
    m_window = nullptr;
    if (m_server)
        m_server->close();
}

void SingleInstance::answer() {
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        if (!platform::peerIsSameUser(socket->socketDescriptor())) {
            socket->abort();
            socket->deleteLater();
            continue;
        }
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
