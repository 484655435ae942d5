#include "archive/tool/ArchiveTool.h"
#include "platform/NativeFileNames.h"

#include <QCoreApplication>

#include <iostream>

int main(int argc, char* argv[]) {
    QCoreApplication application(argc, argv);
    // Taken from argv itself: Qt's own list loses file-name bytes that are not text in the
    // system's code set.
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << tallix::platform::fileNameFromBytes(argv[i]);
    return tallix::archive::tool::runArchiveTool(arguments, std::cout, std::cerr);
}
