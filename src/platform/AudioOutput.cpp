#include "platform/AudioOutput.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <mutex>
#include <thread>

#include <alsa/asoundlib.h>
#include <jack/jack.h>
#include <portaudio.h>

namespace tallix::platform {
namespace {

using namespace std::chrono_literals;

// Lives as long as the process: the exit hook and parked threads still use it during teardown.
struct LibraryState {
    std::mutex guard;
    bool exiting = false;
    std::thread::id exitingThread;
    std::vector<PaStream*> streams;
};

LibraryState& state() {
    static LibraryState* const shared = new LibraryState;
    return *shared;
}

// Lets PortAudio pick the buffer size that suits the device and the latency asked for.
constexpr unsigned long kDeviceChoosesBufferSize = 0;
// Seconds of output latency asked for at the least; see where the stream is opened.
constexpr double kMinimumOutputLatency = 0.025;

[[noreturn]] void parkForever() {
    for (;;) {
        std::this_thread::sleep_for(24h);
    }
}

void ignoreAlsaMessage(const char*, int, const char*, int, const char*, ...) {}
void ignoreJackMessage(const char*) {}

} // namespace

AudioLibrary& AudioLibrary::instance() {
    static AudioLibrary* const library = new AudioLibrary;
    return *library;
}

AudioLibrary::AudioLibrary() {
    snd_lib_error_set_handler(ignoreAlsaMessage);
    jack_set_error_function(ignoreJackMessage);
    jack_set_info_function(ignoreJackMessage);
    std::lock_guard lock(state().guard);
    m_initialised = Pa_Initialize() == paNoError;
    std::atexit(shutDownAtExit);
}

bool AudioLibrary::enter() {
    LibraryState& shared = state();
    shared.guard.lock();
    if (!shared.exiting) {
        return true;
    }
    const bool exitingHere = std::this_thread::get_id() == shared.exitingThread;
    shared.guard.unlock();
    if (exitingHere) {
        return false;
    }
    parkForever();
}

void AudioLibrary::leave() {
    state().guard.unlock();
}

bool AudioLibrary::stillRunning() {
    return run([] {});
}

void AudioLibrary::adopt(void* stream) {
    state().streams.push_back(static_cast<PaStream*>(stream));
}

void AudioLibrary::release(void* stream) {
    auto& streams = state().streams;
    streams.erase(std::remove(streams.begin(), streams.end(), static_cast<PaStream*>(stream)),
                  streams.end());
}

// Runs before the libraries' own teardown. Aborting drops what is still queued at once, so exit
// never waits for speech in progress; a thread busy inside the library holds the guard only for
// one short non-blocking call, and if it somehow does not let go the library is left alone.
void AudioLibrary::shutDownAtExit() {
    LibraryState& shared = state();
    bool locked = shared.guard.try_lock();
    for (int wait = 0; !locked && wait < 250; ++wait) {
        std::this_thread::sleep_for(2ms);
        locked = shared.guard.try_lock();
    }
    if (!locked) {
        return;
    }
    shared.exitingThread = std::this_thread::get_id();
    shared.exiting = true;
    for (PaStream* stream : shared.streams) {
        Pa_AbortStream(stream);
        Pa_CloseStream(stream);
    }
    shared.streams.clear();
    if (instance().m_initialised) {
        Pa_Terminate();
    }
    shared.guard.unlock();
}

OutputStream::OutputStream(int channels, double rate)
    : m_channels(channels), m_rate(rate),
      m_ring(static_cast<std::size_t>(rate / 2) * static_cast<std::size_t>(channels)),
      m_ringFrames(static_cast<std::size_t>(rate / 2)) {}

std::unique_ptr<OutputStream> OutputStream::open(double preferredRate) {
    AudioLibrary& library = AudioLibrary::instance();
    std::unique_ptr<OutputStream> result;
    library.run([&] {
        if (!library.initialised()) {
            return;
        }
        const PaDeviceIndex device = Pa_GetDefaultOutputDevice();
        const PaDeviceInfo* info = device == paNoDevice ? nullptr : Pa_GetDeviceInfo(device);
        if (info == nullptr || info->maxOutputChannels < 1) {
            return;
        }
        PaStreamParameters params{};
        params.device = device;
        params.sampleFormat = paFloat32;
        // The device's own low latency (under 10 ms through PulseAudio) lets a busy machine break
        // up a digit with gaps of silence; a little more keeps every recording whole while the
        // first sound still comes far sooner than any screen reader's.
        params.suggestedLatency = std::max(info->defaultLowOutputLatency, kMinimumOutputLatency);
        double rate = preferredRate;
        bool found = false;
        for (const int channels : {1, 2}) {
            for (const double candidate : {preferredRate, info->defaultSampleRate}) {
                params.channelCount = channels;
                if (!found &&
                    Pa_IsFormatSupported(nullptr, &params, candidate) == paFormatIsSupported) {
                    rate = candidate;
                    found = true;
                }
            }
            if (found) {
                break;
            }
        }
        if (!found) {
            return;
        }
        std::unique_ptr<OutputStream> stream(new OutputStream(params.channelCount, rate));
        PaStream* pa = nullptr;
        if (Pa_OpenStream(&pa, nullptr, &params, rate, kDeviceChoosesBufferSize, paNoFlag,
                          &OutputStream::callback, stream.get()) != paNoError) {
            return;
        }
        // The callback reads both from its first call on, so they are set before the start.
        const PaStreamInfo* streamInfo = Pa_GetStreamInfo(pa);
        stream->m_latency = streamInfo != nullptr ? streamInfo->outputLatency : 0.0;
        stream->m_stream = pa;
        if (Pa_StartStream(pa) != paNoError) {
            stream->m_stream = nullptr;
            Pa_CloseStream(pa);
            return;
        }
        library.adopt(pa);
        result = std::move(stream);
    });
    return result;
}

OutputStream::~OutputStream() {
    if (m_stream == nullptr) {
        return;
    }
    AudioLibrary& library = AudioLibrary::instance();
    library.run([&] {
        Pa_AbortStream(m_stream);
        Pa_CloseStream(m_stream);
        library.release(m_stream);
    });
}

std::size_t OutputStream::freeFrames() const {
    return m_ringFrames - static_cast<std::size_t>(framesQueued() - framesTaken());
}

std::size_t OutputStream::queue(const float* frames, std::size_t count) {
    const std::uint64_t written = m_written.load(std::memory_order_relaxed);
    const std::size_t n = std::min(count, freeFrames());
    const auto ch = static_cast<std::size_t>(m_channels);
    for (std::size_t i = 0; i < n; ++i) {
        const std::size_t slot = static_cast<std::size_t>((written + i) % m_ringFrames) * ch;
        std::copy_n(frames + i * ch, ch, m_ring.begin() + static_cast<std::ptrdiff_t>(slot));
    }
    m_written.store(written + n, std::memory_order_release);
    return n;
}

void OutputStream::watchFor(std::uint64_t endFrame) {
    m_watched.store(endFrame, std::memory_order_release);
}

bool OutputStream::watchedFrameTaken(double& heardAt) const {
    const std::uint64_t watched = m_watched.load(std::memory_order_acquire);
    if (m_watchedTaken.load(std::memory_order_acquire) != watched) {
        return false;
    }
    heardAt = m_watchedHeardAt.load(std::memory_order_acquire);
    return true;
}

double OutputStream::now() {
    double time = -1;
    AudioLibrary::instance().run([&] {
        if (Pa_IsStreamActive(m_stream) == 1) {
            time = Pa_GetStreamTime(m_stream);
        }
    });
    return time;
}

void OutputStream::settle(double seconds) {
    const auto wanted = static_cast<std::uint64_t>(seconds * m_rate);
    const auto giveUp = std::chrono::steady_clock::now() + 500ms;
    while (m_framesOut.load(std::memory_order_relaxed) < wanted &&
           std::chrono::steady_clock::now() < giveUp) {
        std::this_thread::sleep_for(2ms);
    }
}

bool OutputStream::active() {
    return now() >= 0;
}

int OutputStream::callback(const void*, void* output, unsigned long frameCount,
                           const PaStreamCallbackTimeInfo* time, unsigned long, void* self) {
    auto* stream = static_cast<OutputStream*>(self);
    double dacTime = time != nullptr ? time->outputBufferDacTime : 0.0;
    if (dacTime <= 0) {
        dacTime = Pa_GetStreamTime(stream->m_stream) + stream->m_latency;
    }
    stream->fill(static_cast<float*>(output), frameCount, dacTime);
    return paContinue;
}

// Runs on the device's thread: copies what is queued, pads with silence, and notes when the
// watched frame will reach the listener.
void OutputStream::fill(float* output, std::size_t frameCount, double dacTime) {
    const auto ch = static_cast<std::size_t>(m_channels);
    const std::uint64_t taken = m_taken.load(std::memory_order_relaxed);
    const std::uint64_t written = m_written.load(std::memory_order_acquire);
    const std::size_t n = std::min<std::uint64_t>(written - taken, frameCount);
    for (std::size_t i = 0; i < n; ++i) {
        const std::size_t slot = static_cast<std::size_t>((taken + i) % m_ringFrames) * ch;
        std::copy_n(m_ring.begin() + static_cast<std::ptrdiff_t>(slot), ch, output + i * ch);
    }
    std::fill(output + n * ch, output + frameCount * ch, 0.0f);
    const std::uint64_t watched = m_watched.load(std::memory_order_acquire);
    if (watched > taken && watched <= taken + n) {
        m_watchedHeardAt.store(dacTime + static_cast<double>(watched - taken) / m_rate,
                               std::memory_order_relaxed);
        m_watchedTaken.store(watched, std::memory_order_release);
    }
    m_taken.store(taken + n, std::memory_order_release);
    m_framesOut.fetch_add(frameCount, std::memory_order_relaxed);
    m_callbacks.fetch_add(1, std::memory_order_release);
}

} // namespace tallix::platform
