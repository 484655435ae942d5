#pragma once

#include <QString>

namespace tallix::platform {

// Full file name of the running executable, read from the executable itself so that it is known
// before any application object exists. A non-empty `TALLIX_EXE_FILE` takes its place, so that
// tests can put "the program" into a folder of their own. Its folder comes with every link
// resolved either way. Empty when neither yields a name.
QString runningExecutableFile();

} // namespace tallix::platform
