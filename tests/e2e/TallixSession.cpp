#include "TallixSession.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QThread>

#include <stdexcept>

namespace tallix::e2e {
namespace {

constexpr int kStartTimeoutMs = 30000;

void copyFolder(const QString& from, const QString& to) {
    QDir().mkpath(to);
    const QFileInfoList files = QDir(from).entryInfoList(QDir::Files);
    if (files.isEmpty()) {
        throw std::runtime_error("no voice set in " + from.toStdString());
    }
    for (const QFileInfo& file : files) {
        if (!QFile::copy(file.filePath(), to + '/' + file.fileName())) {
            throw std::runtime_error("cannot copy " + file.filePath().toStdString());
        }
    }
}

} // namespace

XServer::~XServer() {
    if (m_server.state() != QProcess::NotRunning) {
        m_server.kill();
        m_server.waitForFinished(3000);
    }
}

bool XServer::start(QString& why) {
    // The server picks a free display itself and names it on its output. Without -noreset it
    // drops a client that connects while it resets after the last one left.
    m_server.start("Xvfb", {"-displayfd", "1", "-noreset", "-screen", "0", "1280x1024x24",
                            "-nolisten", "tcp"});
    if (!m_server.waitForStarted(5000)) {
        why = "Xvfb does not start: " + m_server.errorString();
        return false;
    }
    QByteArray number;
    while (!number.contains('\n') && m_server.waitForReadyRead(kStartTimeoutMs)) {
        number += m_server.readAllStandardOutput();
    }
    if (!number.contains('\n')) {
        why = "Xvfb names no display: " + QString::fromLocal8Bit(m_server.readAllStandardError());
        return false;
    }
    m_display = ':' + QString::fromLatin1(number.trimmed());
    return true;
}

TallixSession::TallixSession(const QString& program, const QString& display)
    : m_program(program), m_environment(QProcessEnvironment::systemEnvironment()) {
    if (!m_folder.isValid()) {
        throw std::runtime_error("no temporary folder");
    }
    const QString folder = m_folder.path();
    for (const char* sub : {"bin/Data", "config", "etc-xdg", "data"}) {
        QDir().mkpath(folder + '/' + sub);
    }
    const QString programFolder = QFileInfo(program).absolutePath();
    for (const char* set : {"speed", "hispeed"}) {
        copyFolder(programFolder + '/' + set, binFolder() + '/' + set);
    }
    m_environment.insert("DISPLAY", display);
    m_environment.insert("TALLIX_EXE_FILE", binFolder() + "/tallix");
    m_environment.insert("HOME", folder);
    m_environment.insert("XDG_CONFIG_HOME", folder + "/config");
    m_environment.insert("XDG_CONFIG_DIRS", folder + "/etc-xdg");
    m_environment.insert("XDG_DATA_HOME", folder + "/data");
    m_environment.remove("QT_QPA_PLATFORM");
    m_environment.remove("TALLIX_SOUND_OUTPUT");
    m_process.setProcessEnvironment(m_environment);
    m_process.setProcessChannelMode(QProcess::ForwardedChannels);
}

TallixSession::~TallixSession() {
    if (m_process.state() != QProcess::NotRunning) {
        m_process.kill();
        m_process.waitForFinished(3000);
    }
}

QString TallixSession::binFolder() const {
    return m_folder.path() + "/bin";
}

void TallixSession::writeDataFile(const QString& name, const QByteArray& content) {
    QFile file(binFolder() + "/Data/" + name);
    if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size()) {
        throw std::runtime_error("cannot write " + file.fileName().toStdString());
    }
}

QByteArray TallixSession::dataFile(const QString& name) const {
    QFile file(binFolder() + "/Data/" + name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void TallixSession::start() {
    m_process.start(m_program, {});
    if (!m_process.waitForStarted(kStartTimeoutMs)) {
        throw std::runtime_error("the program does not start");
    }
    m_window = xdotool({"search", "--sync", "--onlyvisible", "--pid",
                        QString::number(m_process.processId()), "--name", "^Tallix$"},
                       kStartTimeoutMs)
                   .section('\n', 0, 0);
    if (m_window.isEmpty()) {
        throw std::runtime_error("the main window did not appear");
    }
    // A bare X server has no window manager to activate the window; giving it the focus is
    // what the keys need.
    // Keys typed before the window holds the focus would be lost on a busy machine.
    QElapsedTimer timer;
    timer.start();
    xdotool({"windowfocus", "--sync", m_window});
    while (xdotool({"getwindowfocus"}) != m_window) {
        if (timer.elapsed() > kStartTimeoutMs) {
            throw std::runtime_error("the main window does not take the keyboard");
        }
        QThread::msleep(100);
        xdotool({"windowfocus", m_window});
    }
    QThread::msleep(300);
}

void TallixSession::type(const QString& text) {
    xdotool({"type", "--delay", "50", text});
}

void TallixSession::key(const QString& keys) {
    xdotool(QStringList{"key"} + keys.split(' '));
}

bool TallixSession::terminate() {
    m_process.terminate();
    return m_process.waitForFinished(kStartTimeoutMs) &&
           m_process.exitStatus() == QProcess::NormalExit && m_process.exitCode() == 0;
}

QString TallixSession::xdotool(const QStringList& arguments, int timeoutMs) {
    QProcess tool;
    tool.setProcessEnvironment(m_environment);
    tool.start("xdotool", arguments);
    if (!tool.waitForFinished(timeoutMs)) {
        tool.kill();
        tool.waitForFinished(3000);
        throw std::runtime_error("xdotool " + arguments.join(' ').toStdString() + " hangs");
    }
    if (tool.exitCode() != 0) {
        throw std::runtime_error("xdotool " + arguments.join(' ').toStdString() +
                                 " failed: " + tool.readAllStandardError().toStdString());
    }
    return QString::fromLocal8Bit(tool.readAllStandardOutput()).trimmed();
}

} // namespace tallix::e2e
