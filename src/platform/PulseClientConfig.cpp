#include "platform/PulseClientConfig.h"

#include "platform/NativeFileNames.h"
#include "platform/NativeFiles.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include <sys/mman.h>
#include <unistd.h>

namespace tallix::platform {
namespace {

std::string environment(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

// Settings files hold a few lines; all of them together are read only up to this size. They are
// read as the program starts, which a named pipe or a device in their place would hold for good.
constexpr qint64 kMaxSettingsBytes = 1 << 20;

bool readFile(const std::string& path, std::string& content, qint64 maxBytes) {
    const FileRead read =
        readRegularFile(fileNameFromBytes(QByteArray::fromStdString(path)), maxBytes);
    if (read.status != FileRead::Status::Read) {
        return false;
    }
    content = read.bytes.toStdString();
    return true;
}

// The main file the library reads, in its order: the one PULSE_CLIENTCONFIG names, else the
// user's (under PULSE_CONFIG_PATH if that is set, else the old ~/.pulse, then the XDG folder),
// else the system's.
std::vector<std::string> mainFileCandidates() {
    if (const std::string named = environment("PULSE_CLIENTCONFIG"); !named.empty()) {
        return {named};
    }
    std::vector<std::string> candidates;
    const std::string home = environment("HOME");
    if (const std::string own = environment("PULSE_CONFIG_PATH"); !own.empty()) {
        candidates.push_back(own + "/client.conf");
    } else if (!home.empty()) {
        candidates.push_back(home + "/.pulse/client.conf");
        const std::string configHome = environment("XDG_CONFIG_HOME");
        candidates.push_back((configHome.empty() ? home + "/.config" : configHome) +
                             "/pulse/client.conf");
    }
    candidates.push_back("/etc/pulse/client.conf");
    return candidates;
}

// What the library would read: the main file, then the ".conf" files of its ".d" folder in
// name order, later settings overriding earlier ones.
std::string effectiveSettings() {
    std::string settings;
    std::string mainFile;
    for (const std::string& candidate : mainFileCandidates()) {
        if (readFile(candidate, settings, kMaxSettingsBytes)) {
            mainFile = candidate;
            break;
        }
    }
    if (mainFile.empty()) {
        return settings;
    }
    std::vector<std::filesystem::path> extras;
    std::error_code error;
    for (std::filesystem::directory_iterator entry(mainFile + ".d", error), end;
         !error && entry != end; entry.increment(error)) {
        if (entry->path().extension() == ".conf") {
            extras.push_back(entry->path());
        }
    }
    std::sort(extras.begin(), extras.end());
    for (const std::filesystem::path& extra : extras) {
        const qint64 left = kMaxSettingsBytes - static_cast<qint64>(settings.size());
        if (left <= 0) {
            break;
        }
        std::string content;
        if (readFile(extra.string(), content, left)) {
            settings += "\n" + content;
        }
    }
    return settings;
}

} // namespace

void keepPulseFromAutospawning() {
    const std::string settings = effectiveSettings() + "\nautospawn = no\n";
    // A file in memory, left open for the process's life: nothing to clean up after a crash.
    // It is inherited on purpose, so that a program started from here (the browser) reads the
    // same settings through the same name instead of finding none.
    const int file = memfd_create("tallix-pulse-client.conf", 0);
    if (file < 0) {
        return;
    }
    std::size_t written = 0;
    while (written < settings.size()) {
        const ssize_t step = write(file, settings.data() + written, settings.size() - written);
        if (step <= 0) {
            close(file);
            return;
        }
        written += static_cast<std::size_t>(step);
    }
    setenv("PULSE_CLIENTCONFIG", ("/proc/self/fd/" + std::to_string(file)).c_str(), 1);
}

} // namespace tallix::platform
