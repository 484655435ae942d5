#include "env/kstrGlobal.h"

#include "env/Functions.h"
#include "platform/ExecutableFile.h"
#include "platform/NativeFiles.h"
#include "platform/NewFile.h"
#include "platform/OsVersion.h"
#include "platform/ProfileFile.h"
#include "platform/RegistryStores.h"
#include "platform/VersionResource.h"

#include <algorithm>
#include <optional>
#include <utility>

namespace tallix {

TkstrGlobal* AppGlobal = nullptr;

namespace {

const QChar kSeparator = QLatin1Char('/');
const QString kUnknown = QStringLiteral("unknown");
const QString kDataSection = QStringLiteral("DATA");
const QString kDataPathIdent = QStringLiteral("PATH");
const QString kIniFileName = QStringLiteral("application.ini");
constexpr qsizetype kMaxStringLength = 2047;
constexpr int kWriteTestCandidates = 1000;

QString withTrailingSeparator(const QString& folder) {
    return folder.endsWith(kSeparator) ? folder : folder + kSeparator;
}

bool isAsciiDigit(QChar c) {
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

bool isDigits(const QString& text) {
    return !text.isEmpty() && std::all_of(text.begin(), text.end(), isAsciiDigit);
}

bool isHexDigits(const QString& text) {
    return !text.isEmpty() && std::all_of(text.begin(), text.end(), [](QChar c) {
        const QChar lower = c.toLower();
        return isAsciiDigit(c) || (lower >= QLatin1Char('a') && lower <= QLatin1Char('f'));
    });
}

// Decimal with an optional sign, or "0x"/"0X" followed by hexadecimal digits; else def.
int parseInteger(const QString& text, int def) {
    bool ok = false;
    int value = 0;
    if (text.size() > 2 &&
        (text.startsWith(QLatin1String("0x")) || text.startsWith(QLatin1String("0X")))) {
        const QString digits = text.mid(2);
        if (isHexDigits(digits))
            value = digits.toInt(&ok, 16);
    } else {
        const bool hasSign = text.startsWith(QLatin1Char('-')) || text.startsWith(QLatin1Char('+'));
        if (isDigits(hasSign ? text.mid(1) : text))
            value = text.toInt(&ok, 10);
    }
    return ok ? value : def;
}

// Cuts to the read buffer's size without leaving half of a surrogate pair behind.
QString cutToReadBuffer(QString text) {
    if (text.size() <= kMaxStringLength)
        return text;
    text.truncate(kMaxStringLength);
    if (text.back().isHighSurrogate())
        text.chop(1);
    return text;
}

} // namespace

EIniFileException::EIniFileException(const QString& fileName)
    : std::runtime_error(QStringLiteral("%1 に書き込めません").arg(fileName).toStdString()) {}

TkstrGlobal::TkstrGlobal() {
    if (HasUserRegistryKey())
        SetDataFolder(RegReadString(kDataSection, kDataPathIdent, QString()));
}

TkstrGlobal::~TkstrGlobal() {
    CloseRegistry();
    CloseIni();
}

void TkstrGlobal::ReadVersionInfo() {
    const QString exeFile = tallix::platform::runningExecutableFile();
    const qsizetype lastSeparator = exeFile.lastIndexOf(kSeparator);
    FExePath = exeFile.left(lastSeparator + 1);
    FExeDir = stripTrailingBackslashes(FExePath);
    FExeName = exeFile.mid(lastSeparator + 1);

    FCompanyName = kUnknown;
    FProductName = kUnknown;
    FInternalName = kUnknown;
    const auto strings = tallix::platform::readVersionResource();
    if (!strings)
        return;
    FFileVersion = strings->fileVersion;
    FProductName = strings->productName.isEmpty() ? kUnknown : strings->productName;
    FInternalName = strings->internalName.isEmpty() ? kUnknown : strings->internalName;
    FCompanyName = strings->companyName.isEmpty() ? kUnknown : strings->companyName;
    FVersionInfoLoaded = true;
}

const QString& TkstrGlobal::VersionInfo(QString TkstrGlobal::*field) {
    if (!FVersionInfoLoaded)
        ReadVersionInfo();
    return this->*field;
}

QString TkstrGlobal::GetExeDir() {
    return VersionInfo(&TkstrGlobal::FExeDir);
}

QString TkstrGlobal::GetExePath() {
    return VersionInfo(&TkstrGlobal::FExePath);
}

QString TkstrGlobal::GetExeName() {
    return VersionInfo(&TkstrGlobal::FExeName);
}

QString TkstrGlobal::GetFileVersion() {
    return VersionInfo(&TkstrGlobal::FFileVersion);
}

QString TkstrGlobal::GetProductName() {
    return VersionInfo(&TkstrGlobal::FProductName);
}

QString TkstrGlobal::GetInternalName() {
    return VersionInfo(&TkstrGlobal::FInternalName);
}

QString TkstrGlobal::GetCompanyName() {
    return VersionInfo(&TkstrGlobal::FCompanyName);
}

int TkstrGlobal::GetWinMajorVersion() {
    if (FOsMajorVersion == 0)
        FOsMajorVersion = tallix::platform::osMajorVersion();
    return FOsMajorVersion;
}

QString TkstrGlobal::GetDataFolder() {
    if (FDataFolder.isEmpty()) {
        FDataFolder = GetDefaultDataFolder();
        forceFolder(FDataFolder);
    }
    return FDataFolder;
}

QString TkstrGlobal::GetDataPath() {
    return withTrailingSeparator(GetDataFolder());
}

void TkstrGlobal::SetDataFolder(const QString& folder) {
    // A recorded folder written with a final '/' must still give a Path with exactly one.
    FDataFolder = stripTrailingBackslashes(folder);
    if (FDataFolder.isEmpty())
        return;
    forceFolder(FDataFolder);
    RegWriteString(kDataSection, kDataPathIdent, FDataFolder);
}

QString TkstrGlobal::GetDefaultDataFolder() {
    // Both folders are canonical paths, compared exactly: names that differ only in case are
    // other folders on the file systems this runs on.
    // A copy running from somewhere else than the recorded installation keeps its data beside
    // itself when it may write there.
    if (GetInstalledAppDir() != GetExeDir() && IsExeFolderWritable())
        return GetExePath() + QStringLiteral("Data");
    return getSpecialFolder(kCsidlAppData) + kSeparator + GetCompanyName() + kSeparator +
           GetProductName();
}

bool TkstrGlobal::IsWritableFolder(const QString& path) {
    namespace platform = tallix::platform;
    const QString folder = stripTrailingBackslashes(path);
    if (platform::fileKind(folder) != platform::FileKind::Folder)
        return false;
    const QString base = withTrailingSeparator(folder);
    for (int n = 0; n < kWriteTestCandidates; ++n) {
        const QString candidate = base + QStringLiteral("WriteTest%1.tmp").arg(n);
        if (platform::fileExists(candidate))
            continue;
        // Created only if new: a file that appears between the test above and here is someone
        // else's and must be neither truncated nor deleted.
        if (platform::createNewFile(candidate, {}, nullptr) != platform::NewFileResult::Created)
            return false;
        platform::removeFile(candidate);
        return true;
    }
    return false;
}

bool TkstrGlobal::IsExeFolderWritable() {
    return IsWritableFolder(GetExePath());
}

QString TkstrGlobal::GetInstalledAppDir() {
    return tallix::platform::installedAppDir(GetInternalName());
}

bool TkstrGlobal::HasUserRegistryKey() {
    return tallix::platform::userRegistryKeyExists(GetCompanyName(), GetInternalName());
}

void TkstrGlobal::OpenRegistry() {
    if (!FRegistry)
        FRegistry =
            std::make_unique<tallix::platform::UserRegistry>(GetCompanyName(), GetInternalName());
}

void TkstrGlobal::CloseRegistry() {
    FRegistry.reset();
}

QString TkstrGlobal::RegReadString(const QString& section, const QString& ident,
                                   const QString& def) {
    OpenRegistry();
    return FRegistry->readString(section, ident, def);
}

void TkstrGlobal::RegWriteString(const QString& section, const QString& ident,
                                 const QString& value) {
    OpenRegistry();
    // Like a registry key that cannot be opened for writing, an unwritable store is passed over:
    // it only records the data-folder override, and start-up must not fail for it.
    FRegistry->writeString(section, ident, value);
}

void TkstrGlobal::OpenIni() {
    Ini();
}

tallix::platform::ProfileFile& TkstrGlobal::Ini() {
    if (!FIniFile)
        FIniFile = std::make_unique<tallix::platform::ProfileFile>(GetDataPath() + kIniFileName);
    return *FIniFile;
}

void TkstrGlobal::CloseIni() {
    FIniFile.reset();
}

void TkstrGlobal::BeginIniBatch() {
    Ini().beginBatch();
}

void TkstrGlobal::EndIniBatch() {
    if (FIniFile && !FIniFile->endBatch())
        throw EIniFileException(FIniFile->fileName());
}

QString TkstrGlobal::ReadString(const QString& section, const QString& ident, const QString& def) {
    QString result = def;
    if (const std::optional<QString> stored = Ini().readString(section, ident))
        result = cutToReadBuffer(*stored);
    return result;
}

void TkstrGlobal::WriteString(const QString& section, const QString& ident, const QString& value) {
    if (!Ini().writeString(section, ident, value))
        throw EIniFileException(FIniFile->fileName());
}

int TkstrGlobal::ReadInteger(const QString& section, const QString& ident, int def) {
    const std::optional<QString> stored = Ini().readString(section, ident);
    return stored ? parseInteger(*stored, def) : def;
}

void TkstrGlobal::WriteInteger(const QString& section, const QString& ident, int value) {
    WriteString(section, ident, QString::number(value));
}

bool TkstrGlobal::ReadBool(const QString& section, const QString& ident, bool def) {
    return ReadInteger(section, ident, def ? 1 : 0) != 0;
}

void TkstrGlobal::WriteBool(const QString& section, const QString& ident, bool value) {
    WriteInteger(section, ident, value ? 1 : 0);
}

TIniWriteBatch::TIniWriteBatch() {
    if (AppGlobal) {
        AppGlobal->BeginIniBatch();
        FOpen = true;
    }
}

TIniWriteBatch::~TIniWriteBatch() {
    try {
        Commit();
    } catch (const EIniFileException&) {
        // Only reached when an error is already on its way to the user.
    }
}

void TIniWriteBatch::Commit() {
    if (std::exchange(FOpen, false) && AppGlobal)
        AppGlobal->EndIniBatch();
}

KstrGlobalUnit::KstrGlobalUnit() {
    if (!AppGlobal)
        AppGlobal = new TkstrGlobal;
}

KstrGlobalUnit::~KstrGlobalUnit() {
    delete std::exchange(AppGlobal, nullptr);
}

} // namespace tallix
