#pragma once

#include <QProcess>
#include <QString>
#include <QTemporaryDir>

namespace tallix::e2e {

// A private X server for the program's window.
class XServer {
public:
    XServer() = default;
    XServer(const XServer&) = delete;
    XServer& operator=(const XServer&) = delete;
    ~XServer();

    // False, with the reason in `why`, if none starts.
    bool start(QString& why);
    QString display() const { return m_display; }

private:
    QProcess m_server;
    QString m_display;
};

// The real program in a folder of its own: it is told its executable lives there, so its voice
// sets, its data folder and its XDG folders are private to the session. Failures of the
// session itself throw std::runtime_error.
class TallixSession {
public:
    TallixSession(const QString& program, const QString& display);
    TallixSession(const TallixSession&) = delete;
    TallixSession& operator=(const TallixSession&) = delete;
    ~TallixSession();

    // A file in the program's data folder, written before the start.
    void writeDataFile(const QString& name, const QByteArray& content);
    QByteArray dataFile(const QString& name) const;

    // Starts the program and gives its window the keyboard.
    void start();
    // xdotool's "type" and "key" commands, sent to the focused window.
    void type(const QString& text);
    void key(const QString& keys);
    // Ends the program as a desktop session does at log-off; true if it ended cleanly.
    bool terminate();

private:
    QString xdotool(const QStringList& arguments, int timeoutMs = 20000);
    QString binFolder() const;

    QString m_program;
    QProcessEnvironment m_environment;
    QTemporaryDir m_folder;
    QProcess m_process;
    QString m_window;
};

} // namespace tallix::e2e
