#include "graphics/ReadStream.h"

#include "graphics/GraphicError.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace tallix::graphics {
namespace {

// What the loaders rely on in both kinds of stream: reads stop at the end, positions past the
// end are allowed and read nothing, and positions before the start are refused.
void expectStreamBehaviour(TStream& stream) {
    EXPECT_EQ(stream.GetSize(), 5);
    std::uint8_t bytes[8] = {};
    EXPECT_EQ(stream.Read(bytes, 3), 3);
    EXPECT_EQ(bytes[2], 3);
    EXPECT_EQ(stream.GetPosition(), 3);
    EXPECT_EQ(stream.Read(bytes, 8), 2);
    EXPECT_EQ(stream.Read(bytes, 8), 0);
    EXPECT_EQ(stream.Seek(10, SeekOrigin::Current), 15);
    EXPECT_EQ(stream.Read(bytes, 1), 0);
    EXPECT_EQ(stream.Seek(-1, SeekOrigin::End), 4);
    EXPECT_EQ(stream.Read(bytes, 1), 1);
    EXPECT_EQ(bytes[0], 5);
    EXPECT_THROW(stream.Seek(-6, SeekOrigin::End), EGraphicError);
    stream.SetPosition(1);
    EXPECT_THROW(ReadBuffer(stream, bytes, 5), EGraphicError);
    stream.SetPosition(1);
    EXPECT_NO_THROW(ReadBuffer(stream, bytes, 4));
    EXPECT_EQ(bytes[3], 5);

    // The 32-bit seek counts like the 64-bit one and refuses what it cannot report.
    EXPECT_EQ(stream.Seek(std::int32_t{-2}, std::uint16_t{2}), 3);
    EXPECT_THROW(stream.Seek(std::int32_t{0}, std::uint16_t{3}), EGraphicError);
    stream.SetPosition(std::int64_t{1} << 31);
    EXPECT_THROW(stream.Seek(std::int32_t{0}, std::uint16_t{1}), EGraphicError);
    EXPECT_EQ(stream.GetPosition(), std::int64_t{1} << 31);
    EXPECT_EQ(stream.Write(bytes, 1), 0);
}

TEST(ReadStream, MemoryStream) {
    TMemoryReadStream stream({1, 2, 3, 4, 5});
    expectStreamBehaviour(stream);
}

TEST(ReadStream, FileStream) {
    QTemporaryDir folder;
    QFile file(folder.filePath("bytes.bin"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("\x01\x02\x03\x04\x05", 5);
    file.close();
    TFileReadStream stream(file.fileName());
    expectStreamBehaviour(stream);
    EXPECT_THROW(TFileReadStream(folder.filePath("missing.png")), EGraphicError);
}

} // namespace
} // namespace tallix::graphics
