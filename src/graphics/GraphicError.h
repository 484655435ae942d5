#pragma once

#include "platform/ErrorText.h"

#include <initializer_list>
#include <stdexcept>
#include <string>
#include <string_view>

namespace tallix::graphics {

// Every error text of the graphics unit has a kind; the texts themselves are one table, kept
// together so that callers and tests use the same bytes. The details each kind takes, in order,
// follow its name; the others take none.
enum class GraphicErrorKind {
    StreamNotRead,
    BadStreamPosition,
    FileNotOpened, // the file name
    BadImageSize,
    NoImageMemory,
    BmpNotRead,
    BmpTooLarge,
    JpegNotRead, // libjpeg's reason
    JpegTooLarge,
    ImageTooLarge, // itself a reason for JpegNotRead
    TooManyScans,  // the scans allowed
    TooMuchData,   // itself a reason for JpegNotRead
    NotPng,
    BadPngPalette,
    UnsupportedDepth, // the bits per sample
    UnsupportedPngZip,
    PngInterlaced,
    UnsupportedPng,
    BadPngSize,
    PngTooLarge,
    PngInflateNotReady,
    PngDataShort,
    PngDataCorrupt,
    PngTooManyChunks,
};

std::string graphicErrorText(GraphicErrorKind kind,
                             std::initializer_list<platform::ErrorDetail> details = {});

// Every refusal of a picture loader; what() is the message shown to the user, in UTF-8.
class EGraphicError : public std::runtime_error {
public:
    explicit EGraphicError(std::string_view text);
};

[[noreturn]] void RaiseGraphicError(GraphicErrorKind kind,
                                    std::initializer_list<platform::ErrorDetail> details = {});

} // namespace tallix::graphics
