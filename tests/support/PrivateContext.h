#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

#include <memory>

class KstrGlobalUnit;

// A private application context for one test: executable folder, data folder and XDG folders
// inside a temporary folder, released in reverse.
class PrivateContext {
public:
    PrivateContext();
    ~PrivateContext();
    PrivateContext(const PrivateContext&) = delete;
    PrivateContext& operator=(const PrivateContext&) = delete;

    QString RootPath() const { return root_.path(); }
    QString ExeDir() const { return root_.path() + QStringLiteral("/bin"); }
    QString IniFileName() const;
    QByteArray IniText() const;
    void WriteIni(const QByteArray& text) const;

private:
    QTemporaryDir root_;
    std::unique_ptr<KstrGlobalUnit> global_;
};
