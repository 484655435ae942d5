#pragma once

#include <QString>
#include <memory>

namespace tallix::platform {

// Synchronous playback of one WAV file: the program's stand-in for PlaySoundA with flags 0.
class SoundPlayer {
public:
    virtual ~SoundPlayer() = default;

    // Plays the file and returns as its end is heard: the device's output latency (a few
    // milliseconds) before, so that a file played next follows without a gap; the rest is never
    // cut, since the output keeps running. A missing file returns at once; a file that cannot
    // be decoded plays nothing and returns; without a usable output device the file's own
    // duration passes in silence, so that reading keeps its pace.
    // Never throws. Called from one thread at a time.
    virtual void playFile(const QString& path) = 0;

    // Gets the output ready ahead of the first sound, so that opening it does not delay that
    // sound. Playing works without it.
    virtual void prepare() {}
};

enum class SoundOutput {
    DefaultDevice, // the system's default output device
    Silent,        // no device: every file takes its own duration in silence
};

// A player of its own on the chosen output.
std::unique_ptr<SoundPlayer> makeSoundPlayer(SoundOutput output);

// The process's player. It plays on the default device unless the environment variable
// TALLIX_SOUND_OUTPUT is "none". Created on first use and never destroyed: the reader thread,
// which is never joined, may still be inside it while the process exits.
SoundPlayer& systemSoundPlayer();

} // namespace tallix::platform
