#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

#include <map>
#include <optional>
#include <ostream>
#include <string>

#include <gtest/gtest.h>

// Readable QString values in failure messages.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

// Puts "the program" and every folder it looks at into a temporary folder of its own:
//   <root>/app/tallix      the executable (TALLIX_EXE_FILE); <root>/app exists and is writable
//   <root>/config          XDG_CONFIG_HOME (per-user store)
//   <root>/etc-xdg         XDG_CONFIG_DIRS (installation record)
//   <root>/share           XDG_DATA_HOME (application data), <root>/home HOME
// The variables are restored afterwards.
class EnvFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    QString root() const { return m_dir.path(); }
    QString exeDir() const { return root() + "/app"; }
    QString appDataFolder() const { return root() + "/share/Kestrow/Tallix"; }

    void setEnv(const char* name, const QString& value);
    void unsetEnv(const char* name);

    static void writeFile(const QString& fileName, const QByteArray& bytes);
    static QByteArray readFile(const QString& fileName);
    static bool isDir(const QString& path);
    static bool exists(const QString& path);

    void writeInstallationRecord(const QString& appDir);
    void writeUserStore(const QByteArray& iniText);
    QString userStoreFile() const { return root() + "/config/Kestrow/tallix.ini"; }

private:
    void remember(const char* name);

    QTemporaryDir m_dir;
    std::map<std::string, std::optional<QByteArray>> m_saved;
};
