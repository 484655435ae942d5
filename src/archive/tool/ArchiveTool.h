#pragma once

#include <QStringList>

#include <ostream>
#include <string>
#include <vector>

namespace tallix::archive::tool {

// Runs one command of the archive tool (arguments without the program name) and returns the
// process exit code: 0 done, 1 failed (the error's message on `err`), 2 bad arguments (usage).
int runArchiveTool(const QStringList& arguments, std::ostream& out, std::ostream& err);

// The file name each member of `names` (in archive order) is extracted under. A name that an
// earlier member already took is numbered before its extension ("a~2.png"), avoiding every name
// of the list, never overwritten: members of the same name would otherwise replace each other
// on disk.
std::vector<std::string> extractedFileNames(const std::vector<std::string>& names);

} // namespace tallix::archive::tool
