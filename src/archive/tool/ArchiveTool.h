#pragma once

#include <QStringList>

#include <ostream>

namespace tallix::archive::tool {

// Runs one command of the archive tool (arguments without the program name) and returns the
// process exit code: 0 done, 1 failed (the error's message on `err`), 2 bad arguments (usage).
int runArchiveTool(const QStringList& arguments, std::ostream& out, std::ostream& err);

} // namespace tallix::archive::tool
