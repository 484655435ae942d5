#include "PrivateContext.h"

#include "env/kstrGlobal.h"

#include <QDir>
#include <QFile>

using namespace tallix;

PrivateContext::PrivateContext() {
    const QString root = m_root.path();
    QDir(root).mkpath(QStringLiteral("bin"));
    qputenv("TALLIX_EXE_FILE", (root + QStringLiteral("/bin/tallix")).toUtf8());
    qputenv("XDG_CONFIG_HOME", (root + QStringLiteral("/config")).toUtf8());
    qputenv("XDG_CONFIG_DIRS", (root + QStringLiteral("/etc-xdg")).toUtf8());
    qputenv("XDG_DATA_HOME", (root + QStringLiteral("/data")).toUtf8());
    m_global = std::make_unique<KstrGlobalUnit>();
}

PrivateContext::~PrivateContext() {
    m_global.reset();
}

QString PrivateContext::iniFileName() const {
    return AppGlobal->GetDataPath() + QStringLiteral("application.ini");
}

QByteArray PrivateContext::iniText() const {
    QFile file(iniFileName());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void PrivateContext::writeIni(const QByteArray& text) const {
    QFile file(iniFileName());
    if (file.open(QIODevice::WriteOnly))
        file.write(text);
}
