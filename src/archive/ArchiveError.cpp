#include "archive/ArchiveError.h"

namespace tallix::archive {

namespace {
constexpr std::string_view kPrefix = "TArchiveStream:\r\n";

std::string bracketed(std::string_view before, std::string_view inside, std::string_view after) {
    std::string text(before);
    text.append(inside);
    text.append(after);
    return text;
}
} // namespace

EarcSTreamError::EarcSTreamError(std::string_view operationText)
    : std::runtime_error(std::string(kPrefix).append(operationText)) {}

void raiseArchiveError(std::string_view operationText) {
    throw EarcSTreamError(operationText);
}

EFOpenError::EFOpenError(std::string_view fileName, std::string_view reason)
    : std::runtime_error(bracketed("ファイル \"", fileName, "\" を開けません。").append(reason)) {}

EStringListError::EStringListError(std::int64_t index)
    : std::runtime_error(
          bracketed("リストのインデックスが範囲を超えています (", std::to_string(index), ")")) {}

namespace messages {

std::string badFileTag(std::string_view tagRead) {
    return bracketed("[Reload]ファイルが不正[", tagRead, "]です");
}

std::string badHeaderTag(std::string_view tagRead) {
    return bracketed("[Reload]ファイルヘッダが不正[", tagRead, "]です");
}

std::string badDataTag(std::string_view tagRead) {
    return bracketed("[Reload]ファイルデータが不正[", tagRead, "]です");
}

std::string countPastEnd(std::int64_t count) {
    return bracketed("[Reload]格納ファイル数[", std::to_string(count),
                     "]がファイルの大きさを超えています");
}

std::string badNameLength(std::string_view operation, std::int64_t nameLength) {
    return bracketed(std::string("[").append(operation).append("]ファイル名の長さ["),
                     std::to_string(nameLength), "]が不正です");
}

std::string badDataSize(std::int64_t dataSize) {
    return bracketed("[Reload]格納ファイルのサイズ[", std::to_string(dataSize), "]が不正です");
}

std::string unreadable(std::string_view operation) {
    return bracketed("[", operation, "]ファイルを読み込めません");
}

std::string blobCutShort() {
    return "[SetTextStr]ファイル一覧のデータが途中で切れています";
}

std::string negativeCount(std::int64_t count) {
    return bracketed("[Read]Countが負です(", std::to_string(count), ")");
}

std::string noReadIndex() {
    return "[Read]読み込みINDEXが指定されていません";
}

std::string noSeekIndex() {
    return "[Seek]読み込みINDEXが指定されていません";
}

std::string seekOutsideMember() {
    return "[Seek]格納ファイルの範囲外を指定しました";
}

std::string writeNotSupported() {
    return "[Write]対応していません";
}

std::string headerNotWritten() {
    return "[ResetArchive]ファイルヘッダを書き込めません";
}

std::string memberIndexOutOfRange(std::int64_t index) {
    return bracketed("[Select]INDEXが範囲外です(", std::to_string(index), ")");
}

std::string memberNotFound(std::string_view name) {
    return bracketed("[Select]格納ファイル[", name, "]が見つかりません");
}

std::string memberOutsideFile(std::string_view name) {
    return bracketed("[Select]格納ファイル[", name, "]の位置がファイルの範囲外です");
}

} // namespace messages

} // namespace tallix::archive
