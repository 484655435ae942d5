#include "PngTestFiles.h"
#include "graphics/FuncGraphicWork.h"
#include "graphics/GraphicError.h"

#include <QBuffer>
#include <QImageWriter>

#include <cstdio>
#include <cstdlib>

#include <gtest/gtest.h>
#include <jpeglib.h>

namespace tallix::graphics::test {
namespace {

// Colour blocks of 8 x 8 pixels, which JPEG at full quality keeps within a few levels.
constexpr int kBlock = 8;
const std::uint8_t kBlockColours[4][3] = {
    {200, 30, 30}, {30, 200, 30}, {30, 30, 200}, {240, 240, 20}};

ByteVector encodeJpeg(int components, const std::uint8_t (*colours)[4] = nullptr,
                      bool progressive = false, bool arithmetic = false) {
    jpeg_compress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char* output = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &output, &size);
    info.image_width = 2 * kBlock;
    info.image_height = 2 * kBlock;
    info.input_components = components;
    info.in_color_space = components == 4 ? JCS_CMYK : components == 3 ? JCS_RGB : JCS_GRAYSCALE;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 100, TRUE);
    // Full-resolution colour, so that the blocks' edges stay sharp.
    info.comp_info[0].h_samp_factor = 1;
    info.comp_info[0].v_samp_factor = 1;
    if (progressive) {
        jpeg_simple_progression(&info);
    }
    info.arith_code = arithmetic ? TRUE : FALSE;
    jpeg_start_compress(&info, TRUE);
    std::vector<std::uint8_t> row(static_cast<std::size_t>(2 * kBlock * components));
    while (info.next_scanline < info.image_height) {
        for (int x = 0; x < 2 * kBlock; ++x) {
            const int block = int(info.next_scanline) / kBlock * 2 + x / kBlock;
            for (int c = 0; c < components; ++c) {
                row[static_cast<std::size_t>(x * components + c)] =
                    colours != nullptr ? colours[block][c] : kBlockColours[block][c];
            }
        }
        JSAMPROW rowPointer = row.data();
        jpeg_write_scanlines(&info, &rowPointer, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    ByteVector jpeg(output, output + size);
    std::free(output);
    return jpeg;
}

TBitmap load(const std::string& name, const ByteVector& bytes) {
    TMemoryReadStream stream(bytes);
    TBitmap bitmap;
    loadGraphicFromStream(bitmap, name, stream);
    return bitmap;
}

void expectBlocks(const TBitmap& bitmap, int components) {
    ASSERT_EQ(bitmap.Width(), 2 * kBlock);
    ASSERT_EQ(bitmap.Height(), 2 * kBlock);
    ASSERT_EQ(bitmap.PixelFormat(), TPixelFormat::Bit24);
    for (int y = 0; y < 2 * kBlock; ++y) {
        for (int x = 0; x < 2 * kBlock; ++x) {
            const std::uint8_t* colour = kBlockColours[y / kBlock * 2 + x / kBlock];
            const std::uint8_t* pixel = bitmap.ScanLine(y) + 3 * x;
            for (int c = 0; c < 3; ++c) {
                // Blue first in the bitmap; a grey picture repeats its one component.
                const int expected = components == 3 ? colour[2 - c] : colour[0];
                EXPECT_NEAR(pixel[c], expected, 6) << x << "," << y << "," << c;
            }
        }
    }
}

TEST(PictureLoader, JpegDecodesIntoTwentyFourBits) {
    expectBlocks(load("title.jpg", encodeJpeg(3)), 3);
    expectBlocks(load("title.JPEG", encodeJpeg(1)), 1);
}

// libjpeg stores CMYK with an Adobe marker; such files hold inverted ink values (255 = no ink).
TEST(PictureLoader, CmykJpegIsConvertedToColour) {
    const std::uint8_t inverted[4][4] = {
        {255, 255, 255, 255}, {0, 255, 255, 255}, {255, 255, 0, 255}, {255, 255, 255, 0}};
    const TBitmap bitmap = load("cmyk.jpg", encodeJpeg(4, inverted));
    ASSERT_EQ(bitmap.PixelFormat(), TPixelFormat::Bit24);
    const int expected[4][3] = {{255, 255, 255}, {255, 255, 0}, {0, 255, 255}, {0, 0, 0}};
    for (int block = 0; block < 4; ++block) {
        const std::uint8_t* pixel =
            bitmap.ScanLine(block / 2 * kBlock + 3) + 3 * (block % 2 * kBlock + 3);
        for (int c = 0; c < 3; ++c) {
            EXPECT_NEAR(pixel[c], expected[block][c], 6) << block << "," << c;
        }
    }
}

TEST(PictureLoader, JpegTooLargeForMemoryIsRefusedBeforeDecoding) {
    ByteVector jpeg = encodeJpeg(3);
    // Height and width in the frame header become 10000 x 10000, 300 MB as a bitmap.
    for (std::size_t i = 0; i + 9 < jpeg.size(); ++i) {
        if (jpeg[i] == 0xFF && jpeg[i + 1] == 0xC0) {
            jpeg[i + 5] = jpeg[i + 7] = 0x27;
            jpeg[i + 6] = jpeg[i + 8] = 0x10;
            break;
        }
    }
    try {
        load("huge.jpg", jpeg);
        ADD_FAILURE() << "a huge JPEG was accepted";
    } catch (const EGraphicError& error) {
        EXPECT_STREQ(error.what(), "JPEGの画像が大きすぎます");
    }
}

ByteVector readTestData(const std::string& name) {
    const std::string path = std::string(std::getenv("TALLIX_TEST_DATA_DIR")) + "/" + name;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    EXPECT_NE(file, nullptr) << path;
    ByteVector bytes;
    for (int c; file != nullptr && (c = std::fgetc(file)) != EOF;) {
        bytes.push_back(static_cast<std::uint8_t>(c));
    }
    if (file != nullptr) {
        std::fclose(file);
    }
    return bytes;
}

// Small files that would make libjpeg hold whole-image buffers of hundreds of megabytes or
// decode the image a thousand times over; how fast they are refused is measured in the bench.
TEST(PictureLoader, ProgressiveJpegBombsAreRefusedWhileProgressivePicturesLoad) {
    expectBlocks(load("title.jpg", encodeJpeg(3, nullptr, true)), 3);
    expectBlocks(load("title.jpg", encodeJpeg(3, nullptr, true, true)), 3);
    const std::pair<const char*, const char*> bombs[] = {
        {"jpeg/progressive-9000x9000-frame.jpg", "画像が大きすぎます"},
        {"jpeg/progressive-1000-scans.jpg", "スキャンが多すぎます (300 を超えています)"},
    };
    for (const auto& [name, reason] : bombs) {
        try {
            load(name, readTestData(name));
            ADD_FAILURE() << name << " was accepted";
        } catch (const EGraphicError& error) {
            EXPECT_EQ(error.what(), std::string("JPEGファイルを読み込めません: ") + reason) << name;
        }
    }
}

TEST(PictureLoader, ScrambledJpegReproducesThePicture) {
    const ByteVector jpeg = encodeJpeg(3);
    TMemoryReadStream scrambled(jpeg);
    unscrambleStream(scrambled);
    EXPECT_NE(scrambled.Bytes(), jpeg);
    const TBitmap fromJpx = load("title.jpx", scrambled.Bytes());
    EXPECT_EQ(fromJpx.ToImage(), load("title.jpg", jpeg).ToImage());
    unscrambleStream(scrambled);
    EXPECT_EQ(scrambled.Bytes(), jpeg);
}

TEST(PictureLoader, ScrambledJpegSizeLimitIsInclusive) {
    // Bytes after the end-of-image marker do not disturb the decoder, so the picture can be
    // padded to exactly the limit.
    ByteVector padded = encodeJpeg(3);
    padded.resize(static_cast<std::size_t>(kScrambledJpegLimit), 0);
    TMemoryReadStream atLimit(padded);
    unscrambleStream(atLimit);
    expectBlocks(load("big.jpx", atLimit.Bytes()), 3);

    ByteVector overLimit = atLimit.Bytes();
    overLimit.push_back(0);
    TBitmap bitmap;
    bitmap.SetSize(3, 3);
    TMemoryReadStream stream(overLimit);
    EXPECT_NO_THROW(loadGraphicFromStream(bitmap, "big.jpx", stream));
    EXPECT_EQ(bitmap.Width(), 3);
    EXPECT_EQ(stream.GetPosition(), 0);
}

TEST(PictureLoader, BrokenJpegIsRefused) {
    ByteVector truncatedHeader = encodeJpeg(3);
    truncatedHeader.resize(20);
    for (const ByteVector& broken : {ByteVector{}, ByteVector{1, 2, 3}, truncatedHeader}) {
        try {
            load("broken.jpg", broken);
            ADD_FAILURE() << "a broken JPEG was accepted";
        } catch (const EGraphicError& error) {
            EXPECT_EQ(std::string(error.what()).rfind("JPEGファイルを読み込めません: ", 0), 0u)
                << error.what();
        }
    }
}

ByteVector encodeBmp(const QImage& image) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "bmp");
    EXPECT_TRUE(writer.write(image));
    return ByteVector(bytes.begin(), bytes.end());
}

TEST(PictureLoader, BmpRoundTrip) {
    QImage image(5, 3, QImage::Format_RGB32);
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 5; ++x) {
            image.setPixel(x, y, qRgb(x * 50, y * 100, 7));
        }
    }
    const TBitmap bitmap = load("picture.BMP", encodeBmp(image));
    ASSERT_EQ(bitmap.PixelFormat(), TPixelFormat::Bit24);
    EXPECT_EQ(bitmap.ToImage().convertToFormat(QImage::Format_RGB32), image);
    EXPECT_THROW(load("picture.bmp", {'B', 'M', 1, 2}), EGraphicError);
}

TEST(PictureLoader, OnlyTheLowerCasedExtensionChoosesTheDecoder) {
    const ByteVector png =
        pngFile({ihdr(1, 1, 8, 0), chunk("IDAT", deflate({0, 9})), chunk("IEND", {})});
    EXPECT_EQ(load("PICTURE.PNG", png).Width(), 1);
    EXPECT_EQ(load("folder/picture.Png", png).Width(), 1);
    for (const char* name : {"picture.gif", "picture", "folder.png/picture", "folder.png\\picture",
                             "picture.png.txt", "picture."}) {
        TMemoryReadStream stream(png);
        TBitmap bitmap;
        bitmap.SetSize(4, 4);
        EXPECT_NO_THROW(loadGraphicFromStream(bitmap, name, stream)) << name;
        EXPECT_EQ(bitmap.Width(), 4) << name;
        EXPECT_EQ(stream.GetPosition(), 0) << name;
    }
    // The content does not choose: a PNG named .jpg goes to the JPEG decoder.
    EXPECT_THROW(load("picture.jpg", png), EGraphicError);
}

} // namespace
} // namespace tallix::graphics::test
