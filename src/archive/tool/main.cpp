#include "ArchiveTool.h"

#include <QCoreApplication>

#include <iostream>

int main(int argc, char* argv[]) {
    QCoreApplication application(argc, argv);
    QStringList arguments = QCoreApplication::arguments();
    arguments.removeFirst();
    return tallix::archive::tool::runArchiveTool(arguments, std::cout, std::cerr);
}
