#include "archive/ArchiveError.h"

#include <iterator>

namespace tallix::archive {

namespace {

using Kind = ArchiveErrorKind;

constexpr platform::ErrorTextRow<Kind> kTexts[] = {
    {Kind::BadFileTag, "[Reload]ファイルが不正[{}]です"},
    {Kind::BadHeaderTag, "[Reload]ファイルヘッダが不正[{}]です"},
    {Kind::BadDataTag, "[Reload]ファイルデータが不正[{}]です"},
    {Kind::CountPastEnd, "[Reload]格納ファイル数[{}]がファイルの大きさを超えています"},
    {Kind::BadNameLength, "[{}]ファイル名の長さ[{}]が不正です"},
    {Kind::BadDataSize, "[Reload]格納ファイルのサイズ[{}]が不正です"},
    {Kind::Unreadable, "[{}]ファイルを読み込めません"},
    {Kind::BlobCutShort, "[SetTextStr]ファイル一覧のデータが途中で切れています"},
    {Kind::NegativeCount, "[Read]Countが負です({})"},
    {Kind::NoReadIndex, "[Read]読み込みINDEXが指定されていません"},
    {Kind::NoSeekIndex, "[Seek]読み込みINDEXが指定されていません"},
    {Kind::SeekOutsideMember, "[Seek]格納ファイルの範囲外を指定しました"},
    {Kind::WriteNotSupported, "[Write]対応していません"},
    {Kind::HeaderNotWritten, "[ResetArchive]ファイルヘッダを書き込めません"},
    {Kind::MemberIndexOutOfRange, "[Select]INDEXが範囲外です({})"},
    {Kind::MemberNotFound, "[Select]格納ファイル[{}]が見つかりません"},
    {Kind::MemberOutsideFile, "[Select]格納ファイル[{}]の位置がファイルの範囲外です"},
    {Kind::NotOpened, "ファイル \"{}\" を開けません。{}"},
    {Kind::FileMissing, "ファイルが見つかりません"},
    {Kind::FileIsFolder, "フォルダです"},
    {Kind::FileNotRegular, "通常のファイルではありません"},
    {Kind::FileHeldByWriter, "他のプログラムがこのファイルを書き込み用に開いています"},
    {Kind::NotWritten, "ファイル \"{}\" に書き込めません。{}"},
    {Kind::ListIndexOutOfRange, "リストのインデックスが範囲を超えています ({})"},
};
static_assert(platform::rowsInKindOrder(kTexts) &&
              std::size(kTexts) == static_cast<std::size_t>(Kind::ListIndexOutOfRange) + 1);

constexpr std::string_view kStreamPrefix = "TArchiveStream:\r\n";

} // namespace

std::string archiveErrorText(ArchiveErrorKind kind, std::initializer_list<platform::ErrorDetail> details) {
    return platform::fillErrorText(kTexts[static_cast<std::size_t>(kind)].text, details);
}

EarcSTreamError::EarcSTreamError(std::string_view operationText)
    : std::runtime_error(std::string(kStreamPrefix).append(operationText)) {}

void raiseArchiveError(ArchiveErrorKind kind, std::initializer_list<platform::ErrorDetail> details) {
    throw EarcSTreamError(archiveErrorText(kind, details));
}

EFOpenError::EFOpenError(std::string_view fileName, std::string_view reason)
    : std::runtime_error(archiveErrorText(Kind::NotOpened, {fileName, reason})) {}

EArchiveWriteError::EArchiveWriteError(std::string_view fileName, std::string_view reason)
    : std::runtime_error(archiveErrorText(Kind::NotWritten, {fileName, reason})) {}

EStringListError::EStringListError(std::int64_t index)
    : std::runtime_error(archiveErrorText(Kind::ListIndexOutOfRange, {index})) {}

} // namespace tallix::archive
