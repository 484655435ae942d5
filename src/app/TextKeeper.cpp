#include "app/TextKeeper.h"

#include "platform/AtomicFile.h"
#include "platform/NativeFileNames.h"
#include "platform/NewFile.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>

namespace tallix {

namespace {

constexpr int kMaxNamesPerMoment = 100;

QString momentStamp() {
    return QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss-zzz"));
}

EFileError fileError(const QString& format, const QString& fileName, const QString& reason) {
    return EFileError(format.arg(fileName, reason).toStdString());
}

// A new file beside others of its kind, named for the moment it is made ("nums-20240131-
// 093015-250.txt"); an older one of the same name is never replaced. Throws EFileError.
QString createDatedFile(const QString& folder, const QFileInfo& kind, const QByteArray& bytes) {
    const QString stamp = momentStamp();
    QString reason;
    for (int number = 1; number <= kMaxNamesPerMoment; ++number) {
        const QString numbered = number == 1 ? QString() : QStringLiteral("-%1").arg(number);
        const QString name =
            QDir(folder).filePath(kind.completeBaseName() + QLatin1Char('-') + stamp + numbered +
                                  QLatin1Char('.') + kind.suffix());
        switch (platform::createNewFile(name, bytes, &reason)) {
        case platform::NewFileResult::Created:
            return name;
        case platform::NewFileResult::NameTaken:
            continue;
        case platform::NewFileResult::Failed:
            throw fileError(QStringLiteral("ファイル %1 を作成できません。\n%2"), name, reason);
        }
    }
    throw fileError(QStringLiteral("フォルダー %1 に新しいファイルを作成できません。\n%2"), folder,
                    reason);
}

void writeFileBytes(const QString& fileName, const QByteArray& bytes) {
    QString reason;
    if (!platform::writeFileAtomically(fileName, bytes, &reason))
        throw fileError(QStringLiteral("ファイル %1 を作成できません。\n%2"), fileName, reason);
}

// A file the session makes is the user's alone; one that exists keeps its rights.
void createPrivatelyIfMissing(const QString& fileName) {
    const QString target = platform::finalLinkTarget(fileName);
    if (!platform::fileStamp(target).exists)
        platform::createNewFile(target, {}, nullptr);
}

QString otherVersionMessage(const QString& fileName, const QString& keptName) {
    return QStringLiteral("ファイル %1 は Tallix の起動中に他のプログラムによって変更されました。"
                          "その内容は %2 に残しました。Tallix のテキストは %1 に保存します。")
        .arg(fileName, keptName);
}

} // namespace

TextKeeper::TextKeeper(QString fileName, Snapshot snapshot, Delays delays, QObject* parent)
    : QObject(parent), m_fileName(std::move(fileName)),
      m_snapshot(std::move(snapshot)), m_known{m_fileName, platform::fileStamp(m_fileName),
                                               std::nullopt} {
    const std::pair<QTimer*, std::chrono::milliseconds> timers[] = {
        {&m_restTimer, delays.rest},
        {&m_longestTimer, delays.longest},
        {&m_retryTimer, delays.retry}};
    for (const auto& [timer, delay] : timers) {
        timer->setSingleShot(true);
        timer->setInterval(delay);
        connect(timer, &QTimer::timeout, this, &TextKeeper::startBackgroundSave);
    }
}

TextKeeper::~TextKeeper() {
    waitForBackgroundSave();
}

bool TextKeeper::needsSave() const {
    // The unread file taken away: the session's text belongs in the file again.
    return hasUnsavedChanges() || (m_changes > 0 && m_known.fileName != targetFileName());
}

void TextKeeper::fileRead(const QByteArray& bytes) {
    if (m_known.fileName == m_fileName)
        m_known.bytes = bytes;
}

void TextKeeper::textChanged() {
    ++m_changes;
    m_restTimer.start();
    // Steady typing never rests: the first unsaved change sets the latest moment to save.
    if (!m_longestTimer.isActive())
        m_longestTimer.start();
}

QString TextKeeper::keepUnreadFile() {
    // Made at the first save, and never over a file that took the name meanwhile.
    const QFileInfo file(m_fileName);
    m_unreadRescueFileName = file.dir().filePath(file.completeBaseName() + QLatin1Char('-') +
                                                 momentStamp() + QLatin1Char('.') + file.suffix());
    return m_unreadRescueFileName;
}

QString TextKeeper::targetFileName() const {
    // Once the user has taken the unread file away, nothing is left there to lose.
    return !m_unreadRescueFileName.isEmpty() && platform::fileStamp(m_fileName).exists
               ? m_unreadRescueFileName
               : m_fileName;
}

TextKeeper::SaveJob TextKeeper::job() const {
    QStringList folders{QFileInfo(m_fileName).absolutePath()};
    for (const QString& folder : m_rescueFolders) {
        if (!folders.contains(QDir::cleanPath(folder)))
            folders.append(QDir::cleanPath(folder));
    }
    return {targetFileName(), m_snapshot(), m_known, m_rescueFileName, folders};
}

// What another program put in the file since this session last read or wrote it is kept beside
// it first; `result.known` becomes what the file holds then, so that the same version is never
// kept twice. Throws EFileError when that version can be neither read nor kept.
void TextKeeper::keepOtherVersion(const SaveJob& job, SaveResult& result) {
    const QString& target = job.target;
    const platform::FileStamp now = platform::fileStamp(target);
    const bool unchanged = job.known.fileName == target && job.known.stamp == now;
    // Gone, or no file to read (the write refuses it by itself): nothing there to lose.
    if (unchanged || !now.exists || !now.regular)
        return;
    QByteArray onDisk;
    QString reason;
    if (!platform::readWholeFile(target, onDisk, &reason))
        throw fileError(QStringLiteral("ファイル %1 は他のプログラムに変更されましたが、"
                                       "読み込めないため上書きしません。\n%2"),
                        target, reason);
    result.known = {target, now, onDisk};
    // Written again with the same bytes (a sync tool, a touch), or emptied: nothing to lose.
    if (onDisk.isEmpty() || (job.known.fileName == target && job.known.bytes == onDisk))
        return;
    // Beside the file itself: on the stick a link leads to, not beside the link.
    const QFileInfo file(platform::finalLinkTarget(target));
    result.otherVersion = createDatedFile(file.absolutePath(), file, onDisk);
}

// The session's text goes where it can: its earlier rescue file, else a new one in the first
// folder that takes it. Empty when none did.
QString TextKeeper::rescue(const SaveJob& job, const QByteArray& bytes) {
    if (!job.rescueFileName.isEmpty() &&
        platform::writeFileAtomically(job.rescueFileName, bytes, nullptr))
        return job.rescueFileName;
    for (const QString& folder : job.rescueFolders) {
        try {
            if (platform::makeFolders(folder, nullptr, platform::FolderAccess::OwnerOnly))
                return createDatedFile(folder, QFileInfo(job.target), bytes);
        } catch (const EFileError&) {
            continue;
        }
    }
    return {};
}

TextKeeper::SaveResult TextKeeper::runSave(const SaveJob& job) {
    SaveResult result;
    result.known = job.known;
    const QByteArray bytes = encodeTextFileBytes(job.content);
    try {
        keepOtherVersion(job, result);
        createPrivatelyIfMissing(job.target);
        writeFileBytes(job.target, bytes);
        result.saved = true;
        result.known = {job.target, platform::fileStamp(job.target), bytes};
    } catch (const EFileError& error) {
        result.error = QString::fromUtf8(error.what());
        result.rescueFileName = rescue(job, bytes);
    }
    return result;
}

QString TextKeeper::failureMessage(const SaveResult& result, bool retrying) {
    QString message = result.error + QStringLiteral("\n\n");
    if (!result.otherVersion.isEmpty())
        message +=
            otherVersionMessage(QFileInfo(result.known.fileName).filePath(), result.otherVersion) +
            QLatin1Char('\n');
    message += result.rescueFileName.isEmpty()
                   ? QStringLiteral("この起動中のテキストはどこにも保存できませんでした。")
                   : QStringLiteral("この起動中のテキストは %1 に保存しました。")
                         .arg(result.rescueFileName);
    if (retrying)
        message += QStringLiteral("\nTallix は元のファイルへの保存を続けて試みます。");
    return message;
}

void TextKeeper::takeResult(const SaveResult& result, int changes) {
    m_known = result.known;
    if (!result.rescueFileName.isEmpty())
        m_rescueFileName = result.rescueFileName;
    if (!result.saved)
        return;
    m_savedChanges = changes;
    m_failureShown = false;
}

void TextKeeper::startBackgroundSave() {
    m_restTimer.stop();
    m_longestTimer.stop();
    m_retryTimer.stop();
    if (saving()) {
        m_saveAgain = true;
        return;
    }
    if (!needsSave())
        return;
    const int save = ++m_saveNumber;
    m_workerChanges = m_changes;
    m_worker = std::thread([this, save, job = job()] {
        m_workerResult = runSave(job);
        QMetaObject::invokeMethod(
            this, [this, save] { backgroundSaveFinished(save); }, Qt::QueuedConnection);
    });
}

void TextKeeper::backgroundSaveFinished(int save) {
    // An exit save that waited for this save has joined it already, and may have let a later
    // one start since.
    if (save == m_saveNumber)
        waitForBackgroundSave();
    if (std::exchange(m_saveAgain, false))
        startBackgroundSave();
}

void TextKeeper::waitForBackgroundSave() {
    if (!m_worker.joinable())
        return;
    m_worker.join();
    const SaveResult result = std::move(m_workerResult);
    takeResult(result, m_workerChanges);
    if (result.saved && !result.otherVersion.isEmpty())
        emit otherVersionKept(otherVersionMessage(result.known.fileName, result.otherVersion));
    if (!result.saved) {
        // A box for every attempt would take the user's keys again and again.
        if (!std::exchange(m_failureShown, true))
            emit backgroundSaveFailed(failureMessage(result, true));
        m_retryTimer.start();
    }
    emit backgroundSaveEnded(result.saved);
}

QString TextKeeper::saveNow() {
    m_restTimer.stop();
    m_longestTimer.stop();
    m_retryTimer.stop();
    m_saveAgain = false;
    waitForBackgroundSave();
    m_retryTimer.stop();
    if (!needsSave())
        return {};
    const int changes = m_changes;
    const SaveResult result = runSave(job());
    takeResult(result, changes);
    if (!result.saved)
        throw EFileError(failureMessage(result, false).toStdString());
    return result.otherVersion.isEmpty()
               ? QString()
               : otherVersionMessage(result.known.fileName, result.otherVersion);
}

} // namespace tallix
