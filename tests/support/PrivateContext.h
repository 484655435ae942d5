#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

#include <memory>

namespace tallix {
class KstrGlobalUnit;
}

// A private application context for one test: executable folder, data folder and XDG folders
// inside a temporary folder, released in reverse.
class PrivateContext {
public:
    PrivateContext();
    ~PrivateContext();
    PrivateContext(const PrivateContext&) = delete;
    PrivateContext& operator=(const PrivateContext&) = delete;

    QString rootPath() const { return m_root.path(); }
    QString exeDir() const { return m_root.path() + QStringLiteral("/bin"); }
    QString iniFileName() const;
    QByteArray iniText() const;
    void writeIni(const QByteArray& text) const;

private:
    QTemporaryDir m_root;
    std::unique_ptr<tallix::KstrGlobalUnit> m_global;
};
