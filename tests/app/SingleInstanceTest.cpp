// Built from the unit's own source, without the rest of the program, so that it can also run
// under AddressSanitizer without building everything so:
//   cmake -S . -B build/asan -G Ninja -DCMAKE_BUILD_TYPE=Debug
//         -DCMAKE_CXX_FLAGS="-fsanitize=address -fno-omit-frame-pointer"
//   cmake --build build/asan --target app_singleinstance_tests
//   QT_QPA_PLATFORM=offscreen build/asan/tests/app/app_singleinstance_tests
#include "app/SingleInstance.h"

#include <QApplication>
#include <QFileInfo>
#include <QLocalSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>

#include <memory>

using tallix::SingleInstance;

// Later starts reach the first one through its socket; these cases are what a later start may
// meet while the first program's window is going away.
class SingleInstanceTest : public QObject {
    Q_OBJECT

private:
    // What a later start sends; true when the first program took the connection.
    static bool sendActivate(const QString& serverName) {
        QLocalSocket socket;
        socket.connectToServer(serverName);
        if (!socket.waitForConnected(1000))
            return false;
        socket.write("activate\n");
        socket.waitForBytesWritten(1000);
        QTest::qWait(200);
        return true;
    }

private slots:
    void init() { qputenv("XDG_RUNTIME_DIR", m_runtime.path().toUtf8()); }

    void theSocketLivesInThePrivateRuntimeFolderAndTheLockIsHeldOnce() {
        QTemporaryDir data;
        QVERIFY(QFile::setPermissions(m_runtime.path(),
                                      QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        QCOMPARE(QFileInfo(SingleInstance::serverName(data.path())).absolutePath(),
                 QFileInfo(m_runtime.path()).absoluteFilePath());
        SingleInstance first(data.path());
        QVERIFY(first.isFirst());
        QVERIFY(!first.lockUnavailable());
        SingleInstance second(data.path());
        QVERIFY(!second.isFirst());
        // A runtime folder others may enter is no place for it.
        QVERIFY(QFile::setPermissions(m_runtime.path(), QFile::ReadOwner | QFile::WriteOwner |
                                                            QFile::ExeOwner | QFile::WriteOther |
                                                            QFile::ExeOther));
        QCOMPARE(QFileInfo(SingleInstance::serverName(data.path())).absolutePath(),
                 QFileInfo(data.path()).canonicalFilePath());
    }

    void aLaterStartNeverReachesAWindowThatIsGoingOrGone() {
        QTemporaryDir data;
        QVERIFY(QFile::setPermissions(m_runtime.path(),
                                      QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        SingleInstance first(data.path());
        auto window = std::make_unique<QWidget>();
        QCOMPARE(first.serve(window.get()), QString());
        // The window is destroyed while the server still answers (an error box of the exit
        // runs the event loop): the request must find nothing to raise.
        window.reset();
        QVERIFY(sendActivate(SingleInstance::serverName(data.path())));

        auto closing = std::make_unique<QWidget>();
        QCOMPARE(first.serve(closing.get()), QString());
        first.stopServing();
        QVERIFY(!sendActivate(SingleInstance::serverName(data.path())));
        QVERIFY(!closing->isVisible());
    }

private:
    QTemporaryDir m_runtime;
};

QTEST_MAIN(SingleInstanceTest)
#include "SingleInstanceTest.moc"
