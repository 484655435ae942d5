#include "app/TextKeeper.h"

#include "platform/NativeFiles.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>

namespace tallix {

TextKeeper::TextKeeper(QString fileName, Snapshot snapshot, std::chrono::milliseconds delay,
                       QObject* parent)
    : QObject(parent), m_fileName(std::move(fileName)), m_snapshot(std::move(snapshot)) {
    m_quietTimer.setSingleShot(true);
    m_quietTimer.setInterval(delay);
    connect(&m_quietTimer, &QTimer::timeout, this, &TextKeeper::startBackgroundSave);
}

TextKeeper::~TextKeeper() {
    waitForBackgroundSave();
}

void TextKeeper::textChanged() {
    m_quietTimer.start();
}

QString TextKeeper::keepUnreadFile() {
    const QFileInfo file(m_fileName);
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    m_rescueFileName = file.dir().filePath(file.completeBaseName() + QLatin1Char('-') + stamp +
                                           QLatin1Char('.') + file.suffix());
    return m_rescueFileName;
}

QString TextKeeper::targetFileName() const {
    // Once the user has taken the unread file away, nothing is left there to lose.
    return !m_rescueFileName.isEmpty() && platform::fileExists(m_fileName) ? m_rescueFileName
                                                                           : m_fileName;
}

void TextKeeper::startBackgroundSave() {
    if (saving()) {
        m_changedWhileSaving = true;
        return;
    }
    const int save = ++m_saveNumber;
    m_worker = std::thread([this, save, target = targetFileName(), content = m_snapshot()] {
        bool saved = true;
        try {
            writeTextFile(target, content);
        } catch (const std::exception&) {
            // Not shown: a box popping up while the user types would take the keys. The save at
            // exit reports the same fault if it lasts.
            saved = false;
        }
        QMetaObject::invokeMethod(
            this, [this, save, saved] { backgroundSaveFinished(save, saved); },
            Qt::QueuedConnection);
    });
}

void TextKeeper::backgroundSaveFinished(int save, bool saved) {
    // An exit save that waited for this save has joined it already, and may have let a later
    // one start since.
    if (save == m_saveNumber)
        waitForBackgroundSave();
    if (std::exchange(m_changedWhileSaving, false))
        startBackgroundSave();
    emit backgroundSaveEnded(saved);
}

void TextKeeper::waitForBackgroundSave() {
    if (m_worker.joinable())
        m_worker.join();
}

void TextKeeper::saveNow() {
    m_quietTimer.stop();
    m_changedWhileSaving = false;
    waitForBackgroundSave();
    writeTextFile(targetFileName(), m_snapshot());
}

} // namespace tallix
