#include "EnvFixture.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

void EnvFixture::SetUp() {
    ASSERT_TRUE(m_dir.isValid());
    ASSERT_TRUE(QDir().mkpath(exeDir()));
    setEnv("TALLIX_EXE_FILE", exeDir() + "/tallix");
    setEnv("XDG_CONFIG_HOME", root() + "/config");
    setEnv("XDG_CONFIG_DIRS", root() + "/etc-xdg");
    setEnv("XDG_DATA_HOME", root() + "/share");
    setEnv("HOME", root() + "/home");
    unsetEnv("XDG_DESKTOP_DIR");
    unsetEnv("TALLIX_NO_VERSION_INFO");
}

void EnvFixture::TearDown() {
    for (const auto& [name, value] : m_saved) {
        if (value)
            qputenv(name.c_str(), *value);
        else
            qunsetenv(name.c_str());
    }
}

void EnvFixture::remember(const char* name) {
    if (m_saved.count(name) == 0)
        m_saved[name] =
            qEnvironmentVariableIsSet(name) ? std::optional(qgetenv(name)) : std::nullopt;
}

void EnvFixture::setEnv(const char* name, const QString& value) {
    remember(name);
    qputenv(name, value.toUtf8());
}

void EnvFixture::unsetEnv(const char* name) {
    remember(name);
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

bool EnvFixture::isDir(const QString& path) {
    return QFileInfo(path).isDir();
}

bool EnvFixture::exists(const QString& path) {
    return QFileInfo::exists(path);
}

void EnvFixture::writeInstallationRecord(const QString& appDir) {
    writeFile(root() + "/etc-xdg/kestrow/tallix.ini", "AppDir=" + appDir.toUtf8() + "\n");
}

void EnvFixture::writeUserStore(const QByteArray& iniText) {
    writeFile(userStoreFile(), iniText);
}
