#include "graphics/GraphicError.h"

#include <iterator>

namespace tallix::graphics {

namespace {

using Kind = GraphicErrorKind;

constexpr platform::ErrorTextRow<Kind> kTexts[] = {
    {Kind::StreamNotRead, "ストリームの読み込みに失敗しました"},
    {Kind::BadStreamPosition, "ストリームの位置が不正です"},
    {Kind::FileNotOpened, "ファイルを開けません: {}"},
    {Kind::BadImageSize, "画像の大きさが不正です"},
    {Kind::NoImageMemory, "画像のメモリを確保できません"},
    {Kind::BmpNotRead, "BMPファイルを読み込めません"},
    {Kind::BmpTooLarge, "BMPの画像が大きすぎます"},
    {Kind::JpegNotRead, "JPEGファイルを読み込めません: {}"},
    {Kind::JpegTooLarge, "JPEGの画像が大きすぎます"},
    {Kind::ImageTooLarge, "画像が大きすぎます"},
    {Kind::TooManyScans, "スキャンが多すぎます ({} を超えています)"},
    {Kind::TooMuchData, "データが多すぎます"},
    {Kind::NotPng, "PNGファイルではありません"},
    {Kind::BadPngPalette, "PNGのパレットが不正です"},
    {Kind::UnsupportedDepth, "{}bit色深度には対応していません"},
    {Kind::UnsupportedPngZip, "このPNG圧縮には対応していません"},
    {Kind::PngInterlaced, "PNGインターレースには対応していません"},
    {Kind::UnsupportedPng, "このPNGには対応していません"},
    {Kind::BadPngSize, "PNGの画像サイズが不正です"},
    {Kind::PngTooLarge, "PNGの画像が大きすぎます"},
    {Kind::PngInflateNotReady, "PNGの展開を開始できません"},
    {Kind::PngDataShort, "PNGの画像データが不足しています"},
    {Kind::PngDataCorrupt, "PNGの圧縮データが壊れています"},
    {Kind::PngTooManyChunks, "PNGのチャンクが多すぎます"},
};
static_assert(platform::rowsInKindOrder(kTexts) &&
              std::size(kTexts) == static_cast<std::size_t>(Kind::PngTooManyChunks) + 1);

} // namespace

std::string graphicErrorText(GraphicErrorKind kind, std::initializer_list<platform::ErrorDetail> details) {
    return platform::fillErrorText(kTexts[static_cast<std::size_t>(kind)].text, details);
}

EGraphicError::EGraphicError(std::string_view text) : std::runtime_error(std::string(text)) {}

void RaiseGraphicError(GraphicErrorKind kind, std::initializer_list<platform::ErrorDetail> details) {
    throw EGraphicError(graphicErrorText(kind, details));
}

} // namespace tallix::graphics
