#include "EnvFixture.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

void EnvFixture::SetUp() {
    ASSERT_TRUE(m_dir.isValid());
    ASSERT_TRUE(QDir().mkpath(ExeDir()));
    SetEnv("TALLIX_EXE_FILE", ExeDir() + "/tallix");
    SetEnv("XDG_CONFIG_HOME", Root() + "/config");
    SetEnv("XDG_CONFIG_DIRS", Root() + "/etc-xdg");
    SetEnv("XDG_DATA_HOME", Root() + "/share");
    SetEnv("HOME", Root() + "/home");
    UnsetEnv("XDG_DESKTOP_DIR");
    UnsetEnv("TALLIX_NO_VERSION_INFO");
}

void EnvFixture::TearDown() {
    for (const auto& [name, value] : m_saved) {
        if (value)
            qputenv(name.c_str(), *value);
        else
            qunsetenv(name.c_str());
    }
}

void EnvFixture::Remember(const char* name) {
    if (m_saved.count(name) == 0)
        m_saved[name] =
            qEnvironmentVariableIsSet(name) ? std::optional(qgetenv(name)) : std::nullopt;
}

void EnvFixture::SetEnv(const char* name, const QString& value) {
    Remember(name);
    qputenv(name, value.toUtf8());
}

void EnvFixture::UnsetEnv(const char* name) {
    Remember(name);
    qunsetenv(name);
}

void EnvFixture::writeFile(const QString& fileName, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(fileName).absolutePath());
    QFile file(fileName);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << fileName.toStdString();
    file.write(bytes);
}

QByteArray EnvFixture::readFile(const QString& fileName) {
    QFile file(fileName);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool EnvFixture::IsDir(const QString& path) {
    return QFileInfo(path).isDir();
}

bool EnvFixture::Exists(const QString& path) {
    return QFileInfo::exists(path);
}

void EnvFixture::WriteInstallationRecord(const QString& appDir) {
    writeFile(Root() + "/etc-xdg/kestrow/tallix.ini", "AppDir=" + appDir.toUtf8() + "\n");
}

void EnvFixture::WriteUserStore(const QByteArray& iniText) {
    writeFile(UserStoreFile(), iniText);
}
