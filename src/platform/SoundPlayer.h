#pragma once

#include <QString>

#include <memory>

namespace tallix::platform {

// Synchronous playback of one WAV file: the program's stand-in for PlaySoundA with flags 0.
class SoundPlayer {
public:
    virtual ~SoundPlayer() = default;

    // Plays the file and returns shortly before its end is heard (about 30 ms before on a sound
    // server, the output latency before on a device), so that a file played next follows without
    // a gap; the rest is never cut, since the output keeps running. A missing file returns at once;
    // a file that cannot be decoded plays nothing and returns; without a usable output device the
    // file's own duration passes in silence, so that reading keeps its pace. Never throws. Called
    // from one thread at a time.
    virtual void playFile(const QString& path) = 0;

    // Gets the output ready ahead of the first sound, so that opening it does not delay that
    // sound. Playing works without it.
    virtual void prepare() {}
};

enum class SoundOutput {
    DefaultDevice, // the sound server (PulseAudio or PipeWire), else PortAudio's default device
    PortAudio,     // PortAudio's default device (ALSA, JACK), even where a sound server runs
    Silent,        // no device: every file takes its own duration in silence
};

// A player of its own on the chosen output.
std::unique_ptr<SoundPlayer> makeSoundPlayer(SoundOutput output);

// The process's player, on the output that the environment variable TALLIX_SOUND_OUTPUT names:
// "none" (Silent), "portaudio" (PortAudio); anything else or nothing, DefaultDevice. Created on
// first use and never destroyed: the reader thread, which is never joined, may still be inside
// it while the process exits.
SoundPlayer& systemSoundPlayer();

// Sets what the sound libraries read from the environment. Call it before any thread starts:
// changing the environment while another thread reads it is not safe.
void prepareSoundEnvironment();

} // namespace tallix::platform
