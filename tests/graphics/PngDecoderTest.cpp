#include "LibpngReference.h"
#include "graphics/GraphicError.h"

#include <random>

#include <gtest/gtest.h>
#include <png.h>

namespace tallix::graphics::test {
namespace {

constexpr std::uint8_t kGrey = 0, kTruecolour = 2, kPalette = 3, kGreyAlpha = 4, kRgba = 6;

ByteVector idat(const ByteVector& rawRows) {
    return chunk("IDAT", deflate(rawRows));
}

ByteVector iend() {
    return chunk("IEND", {});
}

TEST(PngDecoder, OneByOneRgbaKeepsStraightAlphaInBlueGreenRedAlphaOrder) {
    const TBitmap bitmap =
        decode(pngFile({ihdr(1, 1, 8, kRgba), idat({0, 255, 0, 0, 128}), iend()}));
    EXPECT_EQ(bitmap.PixelFormat(), TPixelFormat::Bit32);
    EXPECT_EQ(pixelAt(bitmap, 0, 0), (ByteVector{0, 0, 255, 128}));
}

TEST(PngDecoder, TwoBitGreyTakesTheFirstPixelFromTheTopBits) {
    const TBitmap bitmap = decode(pngFile({ihdr(4, 1, 2, kGrey), idat({0, 0x1B}), iend()}));
    EXPECT_EQ(bitmap.PixelFormat(), TPixelFormat::Bit24);
    EXPECT_EQ(pixelAt(bitmap, 0, 0), (ByteVector{0, 0, 0}));
    EXPECT_EQ(pixelAt(bitmap, 1, 0), (ByteVector{85, 85, 85}));
    EXPECT_EQ(pixelAt(bitmap, 2, 0), (ByteVector{170, 170, 170}));
    EXPECT_EQ(pixelAt(bitmap, 3, 0), (ByteVector{255, 255, 255}));
}

TEST(PngDecoder, OneBitPaletteOfWidthTenReadsTwoBytesPerRow) {
    const ByteVector palette = {10, 20, 30, 40, 50, 60};
    // Row 0: pixels 1 0 1 0 1 0 1 0 | 1 1; row 1: all 0 except the last.
    const ByteVector rows = {0, 0xAA, 0xC0, 0, 0x00, 0x40};
    const TBitmap bitmap =
        decode(pngFile({ihdr(10, 2, 1, kPalette), chunk("PLTE", palette), idat(rows), iend()}));
    const ByteVector colour0 = {30, 20, 10}, colour1 = {60, 50, 40};
    for (int x = 0; x < 8; ++x) {
        EXPECT_EQ(pixelAt(bitmap, x, 0), x % 2 == 0 ? colour1 : colour0) << x;
    }
    EXPECT_EQ(pixelAt(bitmap, 8, 0), colour1);
    EXPECT_EQ(pixelAt(bitmap, 9, 0), colour1);
    for (int x = 0; x < 9; ++x) {
        EXPECT_EQ(pixelAt(bitmap, x, 1), colour0) << x;
    }
    EXPECT_EQ(pixelAt(bitmap, 9, 1), colour1);
}

TEST(PngDecoder, SixteenEntryPaletteAndIndicesWithoutEntryGiveBlack) {
    ByteVector palette;
    for (int i = 0; i < 16; ++i) {
        palette.insert(palette.end(),
                       {std::uint8_t(i), std::uint8_t(100 + i), std::uint8_t(200 + i)});
    }
    ByteVector row = {0};
    for (int i = 0; i < 16; i += 2) {
        row.push_back(static_cast<std::uint8_t>(i << 4 | (i + 1)));
    }
    const TBitmap bitmap =
        decode(pngFile({ihdr(16, 1, 4, kPalette), chunk("PLTE", palette), idat(row), iend()}));
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(pixelAt(bitmap, i, 0),
                  (ByteVector{std::uint8_t(200 + i), std::uint8_t(100 + i), std::uint8_t(i)}));
    }
    const TBitmap sparse = decode(
        pngFile({ihdr(2, 1, 8, kPalette), chunk("PLTE", {1, 2, 3}), idat({0, 0, 200}), iend()}));
    EXPECT_EQ(pixelAt(sparse, 0, 0), (ByteVector{3, 2, 1}));
    EXPECT_EQ(pixelAt(sparse, 1, 0), (ByteVector{0, 0, 0}));
    const TBitmap withoutPalette = decode(pngFile({ihdr(1, 1, 8, kPalette), idat({0, 7}), iend()}));
    EXPECT_EQ(pixelAt(withoutPalette, 0, 0), (ByteVector{0, 0, 0}));
}

TEST(PngDecoder, GreyAlphaBecomesThirtyTwoBit) {
    const TBitmap bitmap =
        decode(pngFile({ihdr(2, 1, 8, kGreyAlpha), idat({0, 9, 200, 77, 0}), iend()}));
    EXPECT_EQ(bitmap.PixelFormat(), TPixelFormat::Bit32);
    EXPECT_EQ(pixelAt(bitmap, 0, 0), (ByteVector{9, 9, 9, 200}));
    EXPECT_EQ(pixelAt(bitmap, 1, 0), (ByteVector{77, 77, 77, 0}));
}

TEST(PngDecoder, FiltersOnTheFirstRowSeeZerosAbove) {
    const ByteVector pixels = {10, 20, 30, 40, 50, 60};
    const auto decodeRow = [&](std::uint8_t filter) {
        ByteVector raw = {filter};
        raw.insert(raw.end(), pixels.begin(), pixels.end());
        return decode(pngFile({ihdr(2, 1, 8, kTruecolour), idat(raw), iend()}));
    };
    const TBitmap up = decodeRow(2);
    EXPECT_EQ(pixelAt(up, 0, 0), (ByteVector{30, 20, 10}));
    EXPECT_EQ(pixelAt(up, 1, 0), (ByteVector{60, 50, 40}));
    const TBitmap paeth = decodeRow(4);
    const TBitmap sub = decodeRow(1);
    EXPECT_EQ(pixelAt(paeth, 1, 0), pixelAt(sub, 1, 0));
    EXPECT_EQ(pixelAt(paeth, 1, 0), (ByteVector{90, 70, 50}));
}

TEST(PngDecoder, UnknownFilterTypeLeavesTheRowAsRead) {
    const TBitmap bitmap = decode(pngFile({ihdr(2, 1, 8, kGrey), idat({9, 5, 6}), iend()}));
    EXPECT_EQ(pixelAt(bitmap, 0, 0), (ByteVector{5, 5, 5}));
    EXPECT_EQ(pixelAt(bitmap, 1, 0), (ByteVector{6, 6, 6}));
}

// Random pictures of every colour type and depth, each encoded by libpng with one filter type
// on every row, must come back exactly: this covers each filter at each pixel distance.
TEST(PngDecoder, EveryFilterOnEveryColourTypeMatchesLibpng) {
    struct Kind {
        int colourType, depth, samples;
    };
    const Kind kinds[] = {{kGrey, 1, 1},      {kGrey, 2, 1},    {kGrey, 4, 1},
                          {kGrey, 8, 1},      {kPalette, 1, 1}, {kPalette, 2, 1},
                          {kPalette, 4, 1},   {kPalette, 8, 1}, {kTruecolour, 8, 3},
                          {kGreyAlpha, 8, 2}, {kRgba, 8, 4}};
    const int filters[] = {PNG_FILTER_NONE, PNG_FILTER_SUB, PNG_FILTER_UP, PNG_FILTER_AVG,
                           PNG_FILTER_PAETH};
    std::mt19937 random(42);
    for (const Kind& kind : kinds) {
        for (const int filter : filters) {
            SCOPED_TRACE("colour type " + std::to_string(kind.colourType) + ", depth " +
                         std::to_string(kind.depth) + ", filter mask " + std::to_string(filter));
            EncodeRequest request;
            request.width = 13;
            request.height = 7;
            request.depth = kind.depth;
            request.colourType = kind.colourType;
            request.filters = filter;
            const std::size_t rowBytes = (13u * kind.samples * kind.depth + 7) / 8;
            // Smooth values with noise, so that the predictors are actually exercised.
            for (std::size_t i = 0; i < rowBytes * 7; ++i) {
                request.samples.push_back(static_cast<std::uint8_t>(i * 3 + random() % 16));
            }
            if (kind.colourType == kPalette) {
                for (int i = 0; i < 3 << kind.depth; ++i) {
                    request.palette.push_back(static_cast<std::uint8_t>(random()));
                }
            }
            const ByteVector png = encodeWithLibpng(request);
            EXPECT_TRUE(sameAsReference(decode(png), decodeWithLibpng(png)));
        }
    }
}

TEST(PngDecoder, ImageDataSplitOverChunksDecodesAsOne) {
    ByteVector raw;
    for (int y = 0; y < 5; ++y) {
        raw.push_back(static_cast<std::uint8_t>(y));
        for (int i = 0; i < 18; ++i) {
            raw.push_back(static_cast<std::uint8_t>(y * 31 + i * 7));
        }
    }
    const ByteVector compressed = deflate(raw);
    const ByteVector whole =
        pngFile({ihdr(6, 5, 8, kTruecolour), chunk("IDAT", compressed), iend()});
    std::vector<ByteVector> chunks = {ihdr(6, 5, 8, kTruecolour)};
    for (std::size_t i = 0; i < compressed.size(); i += 5) {
        const auto end = compressed.begin() + static_cast<long>(std::min(i + 5, compressed.size()));
        chunks.push_back(chunk("IDAT", ByteVector(compressed.begin() + static_cast<long>(i), end)));
        chunks.push_back(chunk("IDAT", {}));
    }
    chunks.push_back(iend());
    EXPECT_TRUE(sameAsReference(decode(pngFile(chunks)), decodeWithLibpng(whole)));
}

TEST(PngDecoder, OnlyTheFirstRunOfImageDataIsUsed) {
    const ByteVector compressed = deflate({0, 1, 2, 3, 0, 4, 5, 6});
    const ByteVector head(compressed.begin(), compressed.begin() + 4);
    const ByteVector tail(compressed.begin() + 4, compressed.end());
    // The rest of the data after another chunk does not count, so the rows run out.
    EXPECT_EQ(refusal(pngFile({ihdr(1, 2, 8, kTruecolour), chunk("IDAT", head), chunk("tEXt", {65}),
                               chunk("IDAT", tail), iend()})),
              "PNGの画像データが不足しています");
    // A palette that only follows the image data is never read.
    const TBitmap late = decode(pngFile({ihdr(1, 1, 8, kPalette), chunk("IDAT", deflate({0, 0})),
                                         chunk("PLTE", {9, 9, 9}), iend()}));
    EXPECT_EQ(pixelAt(late, 0, 0), (ByteVector{0, 0, 0}));
}

TEST(PngDecoder, ChunksBeforeHeaderAndAncillaryChunksAreSkipped) {
    const TBitmap bitmap = decode(
        pngFile({chunk("abCD", {1, 2, 3}), ihdr(1, 1, 8, kPalette), chunk("tRNS", {0}),
                 chunk("gAMA", {0, 0, 0, 1}), chunk("PLTE", {1, 2, 3}), idat({0, 0}), iend()}));
    EXPECT_EQ(bitmap.PixelFormat(), TPixelFormat::Bit24);
    EXPECT_EQ(pixelAt(bitmap, 0, 0), (ByteVector{3, 2, 1}));
}

TEST(PngDecoder, ReadsFromTheStreamsCurrentPosition) {
    ByteVector bytes = {1, 2, 3};
    const ByteVector png = pngFile({ihdr(1, 1, 8, kGrey), idat({0, 42}), iend()});
    bytes.insert(bytes.end(), png.begin(), png.end());
    TMemoryReadStream stream(bytes);
    stream.SetPosition(3);
    TBitmap bitmap;
    loadPngFromStream(bitmap, stream);
    EXPECT_EQ(pixelAt(bitmap, 0, 0), (ByteVector{42, 42, 42}));
}

TEST(PngDecoder, StreamWithoutHeaderChunkChangesNothing) {
    TBitmap bitmap;
    bitmap.SetSize(2, 3);
    for (const ByteVector& png :
         {pngFile({}), pngFile({chunk("tEXt", {1}), iend()}), pngFile({ByteVector{0, 0, 0}})}) {
        TMemoryReadStream stream(png);
        EXPECT_NO_THROW(loadPngFromStream(bitmap, stream));
        EXPECT_EQ(bitmap.Width(), 2);
        EXPECT_EQ(bitmap.Height(), 3);
    }
}

TEST(PngDecoder, HeaderRefusalsInTheirOrder) {
    struct Case {
        ByteVector header;
        std::string message;
    };
    const Case cases[] = {
        {ihdr(1, 1, 16, kRgba, 0, 1), "16bit色深度には対応していません"},
        {ihdr(1, 1, 16, 7, 1, 1), "16bit色深度には対応していません"},
        {ihdr(1, 1, 8, kGrey, 1, 1), "このPNG圧縮には対応していません"},
        {ihdr(1, 1, 8, 7, 0, 1), "PNGインターレースには対応していません"},
        {ihdr(1, 1, 8, 1), "このPNGには対応していません"},
        {ihdr(1, 1, 8, 5), "このPNGには対応していません"},
        {ihdr(1, 1, 0, kGrey), "0bit色深度には対応していません"},
        {ihdr(1, 1, 3, kPalette), "3bit色深度には対応していません"},
        {ihdr(1, 1, 4, kTruecolour), "4bit色深度には対応していません"},
        {ihdr(1, 1, 1, kRgba), "1bit色深度には対応していません"},
        {ihdr(1, 1, 2, kGreyAlpha), "2bit色深度には対応していません"},
        {ihdr(0, 1, 8, kGrey), "PNGの画像サイズが不正です"},
        {ihdr(1, 0, 8, kGrey), "PNGの画像サイズが不正です"},
        {ihdr(8193, 8192, 8, kRgba), "PNGの画像が大きすぎます"},
        {ihdr(0xFFFFFFFF, 0xFFFFFFFF, 1, kGrey), "PNGの画像が大きすぎます"},
    };
    for (const Case& refused : cases) {
        EXPECT_EQ(refusal(pngFile({refused.header, idat({0, 0, 0, 0, 0}), iend()})),
                  refused.message);
    }
    EXPECT_EQ(refusal({137, 80, 78, 71}), "PNGファイルではありません");
    EXPECT_EQ(refusal({137, 80, 78, 71, 13, 10, 26, 11}), "PNGファイルではありません");
}

TEST(PngDecoder, MalformedPalettesAreRefused) {
    const ByteVector tooLong(3 * 257, 1);
    const ByteVector partialEntry(10, 1);
    for (const ByteVector& palette : {tooLong, partialEntry}) {
        EXPECT_EQ(refusal(pngFile(
                      {ihdr(1, 1, 8, kPalette), chunk("PLTE", palette), idat({0, 0}), iend()})),
                  "PNGのパレットが不正です");
    }
    const ByteVector full(3 * 256, 7);
    EXPECT_EQ(
        refusal(pngFile({ihdr(1, 1, 8, kPalette), chunk("PLTE", full), idat({0, 255}), iend()})),
        "");
}

TEST(PngDecoder, BrokenImageDataIsRefusedAndTheBitmapKept) {
    const ByteVector header = ihdr(2, 2, 8, kTruecolour);
    const ByteVector oneRow = {0, 1, 2, 3, 4, 5, 6};
    // A valid zlib header followed by a block of the reserved type 3.
    const ByteVector corrupt = {0x78, 0x9C, 0xFF, 0xFF, 0xFF};
    ByteVector truncatedStream = chunk("IDAT", deflate(oneRow));
    truncatedStream.resize(truncatedStream.size() - 8);
    struct Case {
        ByteVector png;
        std::string message;
    };
    const Case cases[] = {
        {pngFile({header, idat(oneRow), iend()}), "PNGの画像データが不足しています"},
        {pngFile({header, iend()}), "PNGの画像データが不足しています"},
        {pngFile({header, chunk("IDAT", {1, 2, 3, 4}), iend()}), "PNGの圧縮データが壊れています"},
        {pngFile({header, chunk("IDAT", corrupt), iend()}), "PNGの圧縮データが壊れています"},
        {pngFile({header, truncatedStream}), "ストリームの読み込みに失敗しました"},
        {pngFile({header, ByteVector{0, 0, 0, 30, 'P', 'L', 'T', 'E', 1, 2}}),
         "ストリームの読み込みに失敗しました"},
    };
    for (const Case& broken : cases) {
        TBitmap bitmap;
        bitmap.SetSize(5, 1);
        TMemoryReadStream stream(broken.png);
        try {
            loadPngFromStream(bitmap, stream);
            ADD_FAILURE() << "accepted, expected " << broken.message;
        } catch (const EGraphicError& error) {
            EXPECT_EQ(error.what(), broken.message);
        }
        EXPECT_EQ(bitmap.Width(), 5);
        EXPECT_EQ(bitmap.Height(), 1);
    }
}

} // namespace
} // namespace tallix::graphics::test
