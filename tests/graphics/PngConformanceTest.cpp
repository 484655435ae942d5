// Every picture of the public PNG suite: those the decoder handles must match libpng pixel for
// pixel; the others must be refused with the message that names the reason.

#include "LibpngReference.h"
#include "graphics/GraphicError.h"

#include <QDir>
#include <QFile>

#include <map>

#include <gtest/gtest.h>

namespace tallix::graphics::test {
namespace {

const std::string kNotPng = "PNGファイルではありません";
const std::string kSixteenBit = "16bit色深度には対応していません";
const std::string kInterlaced = "PNGインターレースには対応していません";
const std::string kColourType = "このPNGには対応していません";

// The suite's deliberately broken files (their names start with "x"), by what they break.
const std::map<std::string, std::string> kBrokenFiles = {
    {"xs1n0g01.png", kNotPng},
    {"xs2n0g01.png", kNotPng},
    {"xs4n0g01.png", kNotPng},
    {"xs7n0g01.png", kNotPng},
    {"xcrn0g04.png", kNotPng},
    {"xlfn0g04.png", kNotPng},
    {"xc1n0g08.png", kColourType},
    {"xc9n2c08.png", kColourType},
    {"xd0n2c08.png", "0bit色深度には対応していません"},
    {"xd3n2c08.png", "3bit色深度には対応していません"},
    {"xd9n2c08.png", "99bit色深度には対応していません"},
    {"xdtn0g01.png", "PNGの画像データが不足しています"},
};

QString suiteFolder() {
    return qEnvironmentVariable("TALLIX_TEST_DATA_DIR") + "/pngsuite/png";
}

ByteVector readFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        ADD_FAILURE() << "cannot read " << path.toStdString();
        return {};
    }
    const QByteArray bytes = file.readAll();
    return ByteVector(bytes.begin(), bytes.end());
}

TEST(PngConformance, SuiteDecodesLikeLibpngOrIsRefusedWithItsReason) {
    const QStringList names = QDir(suiteFolder()).entryList({"*.png"}, QDir::Files, QDir::Name);
    ASSERT_GE(names.size(), 150) << "PNG suite not found in " << suiteFolder().toStdString();
    int compared = 0;
    int refused = 0;
    for (const QString& name : names) {
        SCOPED_TRACE(name.toStdString());
        const ByteVector png = readFile(suiteFolder() + "/" + name);
        const auto broken = kBrokenFiles.find(name.toStdString());
        if (broken != kBrokenFiles.end()) {
            EXPECT_EQ(refusal(png), broken->second);
            ++refused;
            continue;
        }
        // Bit depth and interlace method straight from the IHDR that opens every valid file.
        const std::uint8_t depth = png.at(24);
        const std::uint8_t interlace = png.at(28);
        if (depth == 16) {
            EXPECT_EQ(refusal(png), kSixteenBit);
            ++refused;
        } else if (interlace != 0) {
            EXPECT_EQ(refusal(png), kInterlaced);
            ++refused;
        } else {
            EXPECT_TRUE(sameAsReference(decode(png), decodeWithLibpng(png)));
            ++compared;
        }
    }
    // Guards against a suite whose files were all skipped by one of the branches above.
    EXPECT_GE(compared, 90);
    EXPECT_GE(refused, 60);
}

} // namespace
} // namespace tallix::graphics::test
