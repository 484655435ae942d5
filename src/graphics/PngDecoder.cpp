#include "graphics/FuncGraphicWork.h"
#include "graphics/GraphicError.h"
#include "graphics/PngChunks.h"
#include "graphics/PngFilter.h"
#include "graphics/PngInflater.h"
#include "graphics/PngRowConversion.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace tallix::graphics {

namespace {

constexpr std::uint8_t kSignature[8] = {137, 80, 78, 71, 13, 10, 26, 10};
// The largest bitmap a picture may ask for; anything above is refused before allocation. Each
// row also costs the decoder a round of its own, worth about this many bytes of a row, so that
// a picture of millions of tiny rows counts for the time it takes as well.
constexpr std::uint64_t kMaxBitmapBytes = 256u * 1024 * 1024;
constexpr std::uint64_t kRowCostInBytes = 64;

enum TColourType : std::uint8_t {
    kGrey = 0,
    kTruecolour = 2,
    kPalette = 3,
    kGreyAlpha = 4,
    kTruecolourAlpha = 6,
};

struct TPngHeader {
    std::uint32_t Width = 0;
    std::uint32_t Height = 0;
    std::uint8_t Depth = 0;
    std::uint8_t ColourType = 0;
    std::uint8_t Compression = 0;
    std::uint8_t Interlace = 0;
};

void readPalette(TStream& stream, const TChunkHeader& header, TPngPalette& palette) {
    if (header.Length % 3 != 0 || header.Length > 3 * 256) {
        RaiseGraphicError(GraphicErrorKind::BadPngPalette);
    }
    std::uint8_t entries[3 * 256];
    ReadBuffer(stream, entries, header.Length);
    for (std::uint32_t i = 0; i < header.Length / 3; ++i) {
        palette.Red[i] = entries[3 * i];
        palette.Green[i] = entries[3 * i + 1];
        palette.Blue[i] = entries[3 * i + 2];
    }
    stream.Seek(4, SeekOrigin::Current);
}

int samplesPerPixel(std::uint8_t colourType) {
    switch (colourType) {
    case kTruecolour:
        return 3;
    case kGreyAlpha:
        return 2;
    case kTruecolourAlpha:
        return 4;
    default:
        return 1;
    }
}

bool hasAlpha(std::uint8_t colourType) {
    return colourType == kGreyAlpha || colourType == kTruecolourAlpha;
}

// Grey and palette rows below 8 bits, and all palette rows, are reconstructed packed; the
// others are reconstructed inside the bitmap after conversion.
bool filtersPacked(const TPngHeader& header) {
    return header.ColourType == kPalette || (header.ColourType == kGrey && header.Depth < 8);
}

bool depthAllowed(const TPngHeader& header) {
    const std::uint8_t depth = header.Depth;
    if (header.ColourType == kGrey || header.ColourType == kPalette) {
        return depth == 1 || depth == 2 || depth == 4 || depth == 8;
    }
    return depth == 8;
}

TPngHeader parseHeader(const std::uint8_t* block) {
    TPngHeader header;
    header.Width = bigEndian32(block);
    header.Height = bigEndian32(block + 4);
    header.Depth = block[8];
    header.ColourType = block[9];
    header.Compression = block[10];
    header.Interlace = block[12];
    return header;
}

void checkHeader(const TPngHeader& header) {
    if (header.Depth == 16) {
        RaiseGraphicError(GraphicErrorKind::UnsupportedDepth, {16});
    }
    if (header.Compression != 0) {
        RaiseGraphicError(GraphicErrorKind::UnsupportedPngZip);
    }
    if (header.Interlace != 0) {
        RaiseGraphicError(GraphicErrorKind::PngInterlaced);
    }
    const std::uint8_t type = header.ColourType;
    if (type != kGrey && type != kTruecolour && type != kPalette && type != kGreyAlpha &&
        type != kTruecolourAlpha) {
        RaiseGraphicError(GraphicErrorKind::UnsupportedPng);
    }
    if (!depthAllowed(header)) {
        RaiseGraphicError(GraphicErrorKind::UnsupportedDepth, {header.Depth});
    }
    if (header.Width == 0 || header.Height == 0) {
        RaiseGraphicError(GraphicErrorKind::BadPngSize);
    }
    const TPixelFormat format = hasAlpha(type) ? TPixelFormat::Bit32 : TPixelFormat::Bit24;
    const std::uint64_t bitmapBytes = TBitmap::AllocationBytes(format, header.Width, header.Height);
    if (bitmapBytes + std::uint64_t{header.Height} * kRowCostInBytes > kMaxBitmapBytes) {
        RaiseGraphicError(GraphicErrorKind::PngTooLarge);
    }
}

TColourTable paletteTable(const TPngPalette& palette) {
    TColourTable table{};
    for (std::size_t i = 0; i < table.size(); ++i) {
        table[i] = std::uint32_t{palette.Blue[i]} | std::uint32_t{palette.Green[i]} << 8 |
                   std::uint32_t{palette.Red[i]} << 16;
    }
    return table;
}

// Inflates, reconstructs and converts every row of a picture whose header has been checked.
class TPngRowDecoder {
public:
    TPngRowDecoder(const TPngHeader& header, PngImageData& compressed, const TPngPalette& palette)
        : FHeader(header), FInflater(compressed), FWidth(header.Width),
          FPackedBytes((FWidth * samplesPerPixel(header.ColourType) * header.Depth + 7) / 8),
          FBitmap(TBitmap::Allocate(
              hasAlpha(header.ColourType) ? TPixelFormat::Bit32 : TPixelFormat::Bit24,
              static_cast<int>(header.Width), static_cast<int>(header.Height))),
          FRowBytes(FWidth * static_cast<std::size_t>(FBitmap.BytesPerPixel())) {
        if (header.ColourType == kPalette) {
            FTable = paletteTable(palette);
        } else if (header.ColourType == kGrey) {
            FTable = greyTable(header.Depth);
        }
    }

    TBitmap Decode() {
        if (filtersPacked(FHeader)) {
            DecodePackedFiltered();
        } else {
            DecodeBitmapFiltered();
        }
        return std::move(FBitmap);
    }

private:
    // Each row: its filter byte, then its packed bytes.
    void DecodePackedFiltered() {
        std::vector<std::uint8_t> current(1 + FPackedBytes);
        std::vector<std::uint8_t> above(1 + FPackedBytes, 0);
        for (int y = 0; y < FBitmap.Height(); ++y) {
            FInflater.ReadExactly(current.data(), current.size());
            reverseFilter(current[0], current.data() + 1, above.data() + 1, FPackedBytes, 1);
            convertIndexedRow(current.data() + 1, FBitmap.ScanLine(y), FWidth, FHeader.Depth,
                              FTable);
            current.swap(above);
        }
    }

    void DecodeBitmapFiltered() {
        std::vector<std::uint8_t> packed(1 + FPackedBytes);
        const std::vector<std::uint8_t> zeros(FRowBytes, 0);
        const auto distance = static_cast<std::size_t>(FBitmap.BytesPerPixel());
        const bool swapsRedBlue =
            FHeader.ColourType == kTruecolour || FHeader.ColourType == kTruecolourAlpha;
        for (int y = 0; y < FBitmap.Height(); ++y) {
            FInflater.ReadExactly(packed.data(), packed.size());
            std::uint8_t* row = FBitmap.ScanLine(y);
            const std::uint8_t* above = y == 0 ? zeros.data() : FBitmap.ScanLine(y - 1);
            if (swapsRedBlue && reverseFilterSwappingRedBlue(packed[0], packed.data() + 1, row,
                                                             above, FRowBytes, distance)) {
                continue;
            }
            ConvertRow(packed.data() + 1, row);
            reverseFilter(packed[0], row, above, FRowBytes, distance);
        }
    }

    void ConvertRow(const std::uint8_t* packed, std::uint8_t* row) const {
        switch (FHeader.ColourType) {
        case kTruecolour:
            convertRgbRow(packed, row, FWidth);
            break;
        case kGreyAlpha:
            convertGreyAlphaRow(packed, row, FWidth);
            break;
        case kTruecolourAlpha:
            convertRgbaRow(packed, row, FWidth);
            break;
        default:
            convertIndexedRow(packed, row, FWidth, 8, FTable);
            break;
        }
    }

    const TPngHeader FHeader;
    TPngInflater FInflater;
    const std::size_t FWidth;
    const std::size_t FPackedBytes;
    TBitmap FBitmap;
    const std::size_t FRowBytes;
    TColourTable FTable{};
};

} // namespace

PngImageData readPngData(TStream& stream, TPngPalette& palette) {
    PngChunkWalk walk(stream);
    TChunkHeader header;
    while (walk.next(header)) {
        if (header.Is("PLTE")) {
            readPalette(stream, header, palette);
        } else if (header.Is("IDAT")) {
            return PngImageData(stream, header);
        } else {
            walk.skip(header);
        }
    }
    return PngImageData(stream);
}

void loadPngFromStream(TBitmap& bitmap, TStream& stream) {
    std::uint8_t signature[8];
    if (stream.Read(signature, 8) != 8 || std::memcmp(signature, kSignature, 8) != 0) {
        RaiseGraphicError(GraphicErrorKind::NotPng);
    }
    PngChunkWalk walk(stream);
    TChunkHeader chunk;
    do {
        if (!walk.next(chunk)) {
            return;
        }
        if (!chunk.Is("IHDR")) {
            walk.skip(chunk);
        }
    } while (!chunk.Is("IHDR"));

    std::uint8_t block[17];
    ReadBuffer(stream, block, sizeof block);
    const TPngHeader header = parseHeader(block);
    checkHeader(header);

    TPngPalette palette;
    PngImageData compressed = readPngData(stream, palette);
    bitmap = TPngRowDecoder(header, compressed, palette).Decode();
}

} // namespace tallix::graphics
