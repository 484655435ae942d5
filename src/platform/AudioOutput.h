#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

struct PaStreamCallbackTimeInfo;

namespace tallix::platform {

// Process-wide guard around the audio library. Every call into PortAudio goes through run(), so
// that the exit hook (registered with the first use) can shut the library down while no other
// thread is inside it. Once the process is exiting, a thread other than the exiting one that
// comes back for the library is parked for good instead: the reader thread is never joined, and
// it must not touch libraries whose teardown has begun.
class AudioLibrary {
public:
    static AudioLibrary& instance();

    // Runs `action` under the guard; returns false (without running it) on the exiting thread
    // once exit has begun. Never returns on any other thread once exit has begun.
    template <typename Action> bool run(Action&& action) {
        if (!enter()) {
            return false;
        }
        action();
        leave();
        return true;
    }
    // Parks the calling thread if the process is exiting; returns false on the exiting thread.
    bool stillRunning();
    bool initialised() const { return m_initialised; }
    // Streams the exit hook must close; called inside run().
    void adopt(void* stream);
    void release(void* stream);

private:
    AudioLibrary();
    bool enter();
    void leave();
    static void shutDownAtExit();

    bool m_initialised = false;
};

// One output stream on the default device. It runs from opening to closing and plays silence
// whenever nothing is queued, so that neither idle time nor the boundary between two files ever
// stops it: stopping a stream cuts its tail and starting one loses its head on some outputs.
class OutputStream {
public:
    // nullptr when there is no usable output device.
    static std::unique_ptr<OutputStream> open(double preferredRate);
    ~OutputStream();
    OutputStream(const OutputStream&) = delete;
    OutputStream& operator=(const OutputStream&) = delete;

    int channels() const { return m_channels; }
    double rate() const { return m_rate; }
    double latencySeconds() const { return m_latency; }

    // Queues as many of `count` interleaved frames as there is room for; returns how many.
    std::size_t queue(const float* frames, std::size_t count);
    std::size_t freeFrames() const;
    // Frames queued and frames taken by the device so far, counted from opening.
    std::uint64_t framesQueued() const { return m_written.load(std::memory_order_acquire); }
    std::uint64_t framesTaken() const { return m_taken.load(std::memory_order_acquire); }
    // Device callbacks so far; a running device keeps this moving even when nothing is queued.
    std::uint64_t callbacks() const { return m_callbacks.load(std::memory_order_acquire); }
    // Asks to be told when frame number `endFrame` (not yet queued) will have been heard.
    void watchFor(std::uint64_t endFrame);
    // Whether the watched frame has been taken; then `heardAt` is its time on the stream clock.
    bool watchedFrameTaken(double& heardAt) const;
    // The stream clock now, or a negative value when the stream has failed.
    double now();
    bool active();
    // Waits until the device has played `seconds` of silence (or seems stuck). Outputs that lose
    // the head of a new stream then lose silence instead of the first sound.
    void settle(double seconds);

private:
    OutputStream(int channels, double rate);
    static int callback(const void*, void* output, unsigned long frameCount,
                        const PaStreamCallbackTimeInfo* time, unsigned long, void* self);
    void fill(float* output, std::size_t frameCount, double dacTime);

    void* m_stream = nullptr;
    int m_channels;
    double m_rate;
    double m_latency = 0;
    std::vector<float> m_ring;
    std::size_t m_ringFrames;
    std::atomic<std::uint64_t> m_written{0};
    std::atomic<std::uint64_t> m_taken{0};
    std::atomic<std::uint64_t> m_callbacks{0};
    std::atomic<std::uint64_t> m_framesOut{0}; // silence included
    std::atomic<std::uint64_t> m_watched{0};
    std::atomic<std::uint64_t> m_watchedTaken{0};
    std::atomic<double> m_watchedHeardAt{0};
};

} // namespace tallix::platform
