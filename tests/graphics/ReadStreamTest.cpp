#include "graphics/ReadStream.h"

#include "graphics/GraphicError.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace tallix::graphics {
namespace {

// What the loaders rely on in both kinds of stream: reads stop at the end, positions past the
// end are allowed and read nothing, and positions before the start are refused.
void expectStreamBehaviour(TReadStream& stream) {
    EXPECT_EQ(stream.Size(), 5);
    std::uint8_t bytes[8] = {};
    EXPECT_EQ(stream.Read(bytes, 3), 3);
    EXPECT_EQ(bytes[2], 3);
    EXPECT_EQ(stream.Position(), 3);
    EXPECT_EQ(stream.Read(bytes, 8), 2);
    EXPECT_EQ(stream.Read(bytes, 8), 0);
    EXPECT_EQ(stream.Seek(10, TSeekOrigin::Current), 15);
    EXPECT_EQ(stream.Read(bytes, 1), 0);
    EXPECT_EQ(stream.Seek(-1, TSeekOrigin::End), 4);
    EXPECT_EQ(stream.Read(bytes, 1), 1);
    EXPECT_EQ(bytes[0], 5);
    EXPECT_THROW(stream.Seek(-6, TSeekOrigin::End), EGraphicError);
    stream.SetPosition(1);
    EXPECT_THROW(stream.ReadBuffer(bytes, 5), EGraphicError);
    stream.SetPosition(1);
    EXPECT_NO_THROW(stream.ReadBuffer(bytes, 4));
    EXPECT_EQ(bytes[3], 5);
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
