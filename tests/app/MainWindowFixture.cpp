#include "MainWindowFixture.h"

#include "app/UnitFmTallixor.h"
#include "env/kstrGlobal.h"
#include "platform/SoundPlayer.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

using namespace tallix;

namespace {

template <typename T> T* partOf(const QWidget& window, const QString& name) {
    T* part = window.findChild<T*>(name);
    if (!part)
        qFatal("the window has no %s", qPrintable(name));
    return part;
}

} // namespace

QPlainTextEdit* memoOf(const QWidget& window) {
    return partOf<QPlainTextEdit>(window, QStringLiteral("Memo"));
}

QAction* actionOf(const QWidget& window, const char* name) {
    return partOf<QAction>(window, QLatin1String(name));
}

QPushButton* buttonOf(const QWidget& window, const char* name) {
    return partOf<QPushButton>(window, QLatin1String(name));
}

QMenu* menuOf(const QWidget& window, const char* name) {
    return partOf<QMenu>(window, QLatin1String(name));
}

QLabel* statusPanelOf(const QWidget& window, int index) {
    return partOf<QLabel>(window, QStringLiteral("StatusPanel%1").arg(index));
}

MainWindowFixture::MainWindowFixture() {
    QDir().mkpath(dataPath());
}

MainWindowFixture::~MainWindowFixture() {
    m_window.reset();
}

QString MainWindowFixture::exeDir() const {
    return m_context.exeDir();
}

QString MainWindowFixture::dataPath() const {
    return AppGlobal->GetDataPath();
}

void MainWindowFixture::writeDataFile(const QString& name, const QByteArray& bytes) const {
    QFile file(dataPath() + name);
    if (file.open(QIODevice::WriteOnly))
        file.write(bytes);
}

QByteArray MainWindowFixture::readDataFile(const QString& name) const {
    QFile file(dataPath() + name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void MainWindowFixture::makeVoiceSets() const {
    for (const QString& set : {QStringLiteral("speed"), QStringLiteral("hispeed")}) {
        const QString folder = exeDir() + QLatin1Char('/') + set + QLatin1Char('/');
        QDir().mkpath(folder);
        for (const char* name : {"0", "1", "2", "3", "4", "5", "6", "7", "8", "9", "d", "r", "s"}) {
            QFile file(folder + QLatin1String(name) + QStringLiteral(".wav"));
            file.open(QIODevice::WriteOnly);
        }
    }
}

TFmTallixor& MainWindowFixture::openWindow(std::shared_ptr<tallix::platform::SoundPlayer> player) {
    if (!player)
        player = tallix::platform::makeSoundPlayer(tallix::platform::SoundOutput::Silent);
    m_window = std::make_unique<TFmTallixor>(nullptr, std::move(player));
    return *m_window;
}

TFmTallixor&
MainWindowFixture::openActiveWindow(std::shared_ptr<tallix::platform::SoundPlayer> player) {
    TFmTallixor& window = openWindow(std::move(player));
    window.show();
    window.activateWindow();
    [[maybe_unused]] const bool active = QTest::qWaitForWindowActive(&window);
    memoOf(window)->setFocus();
    return window;
}

void MainWindowFixture::closeWindow() {
    m_window.reset();
}

void MainWindowFixture::expectMessageBox() {
    m_messageBoxText.clear();
    QTimer::singleShot(0, [this] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box)
            return;
        m_messageBoxText = box->text();
        box->done(QMessageBox::Ok);
    });
}
