// tallix-picture FILE OUT.pam: loads a picture the way the program does and writes what it got
// as a PAM image, so that anyone can check whether a picture will load and how it will look.

#include "graphics/FuncGraphicWork.h"
#include "graphics/GraphicError.h"
#include "graphics/tool/PamWriter.h"
#include "platform/AtomicFile.h"
#include "platform/NativeFileNames.h"

#include <iostream>

namespace tallix::graphics {
namespace {

constexpr int kExitLoadFailed = 1;
constexpr int kExitUsage = 2;

int convert(const char* fileName, const char* outName) {
    TBitmap bitmap;
    try {
        TFileReadStream stream(platform::fileNameFromBytes(fileName));
        loadGraphicFromStream(bitmap, fileName, stream);
    } catch (const std::exception& error) {
        std::cerr << fileName << ": " << error.what() << '\n';
        return kExitLoadFailed;
    }
    if (bitmap.Empty()) {
        std::cerr << fileName << ": no picture loaded (unknown extension or no image in file)\n";
        return kExitLoadFailed;
    }
    // Never through a link another user planted: the atomic writer follows links only as the
    // system itself would, and replaces the file in one step.
    platform::AtomicFileWriter out(platform::fileNameFromBytes(outName));
    writePam(bitmap, out);
    QString reason;
    if (!out.commit(&reason)) {
        std::cerr << outName << ": cannot write the PAM image: " << reason.toStdString() << '\n';
        return kExitLoadFailed;
    }
    return 0;
}

} // namespace
} // namespace tallix::graphics

int main(int argc, char* argv[]) {
    if (argc != 3) {
        std::cerr << "usage: tallix-picture FILE OUT.pam\n"
                     "Loads FILE as a .bmp, .png, .jpg, .jpeg or .jpx picture (by its extension)\n"
                     "and writes it to OUT.pam, or prints why it cannot be loaded.\n";
        return tallix::graphics::kExitUsage;
    }
    return tallix::graphics::convert(argv[1], argv[2]);
}
