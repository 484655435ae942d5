#include "MainWindowFixture.h"

#include "UnitFmTallixor.h"
#include "kstrGlobal.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QTimer>

MainWindowFixture::MainWindowFixture() {
    const QString root = root_.path();
    QDir(root).mkpath(QStringLiteral("bin"));
    qputenv("TALLIX_EXE_FILE", (root + QStringLiteral("/bin/tallix")).toUtf8());
    qputenv("XDG_CONFIG_HOME", (root + QStringLiteral("/config")).toUtf8());
    qputenv("XDG_CONFIG_DIRS", (root + QStringLiteral("/etc-xdg")).toUtf8());
    qputenv("XDG_DATA_HOME", (root + QStringLiteral("/data")).toUtf8());
    global_ = std::make_unique<KstrGlobalUnit>();
    QDir().mkpath(dataPath());
}

MainWindowFixture::~MainWindowFixture() {
    window_.reset();
    global_.reset();
}

QString MainWindowFixture::exeDir() const {
    return root_.path() + QStringLiteral("/bin");
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

TFmTallixor& MainWindowFixture::openWindow() {
    window_ = std::make_unique<TFmTallixor>();
    return *window_;
}

void MainWindowFixture::closeWindow() {
    window_.reset();
}

void MainWindowFixture::expectMessageBox() {
    messageBoxText_.clear();
    QTimer::singleShot(0, [this] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box)
            return;
        messageBoxText_ = box->text();
        box->done(QMessageBox::Ok);
    });
}
