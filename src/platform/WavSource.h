#pragma once

#include <QString>

#include <memory>
#include <vector>

namespace tallix::platform {

// Reads a sound file (any PCM or float WAV, or whatever else libsndfile decodes) as float frames
// with the channel count and sample rate of the output, whatever the file's own format is.
class WavSource {
public:
    // Opens the file; isOpen() is false when it is missing or cannot be decoded.
    WavSource(const QString& path, int outputChannels, double outputRate);
    ~WavSource();
    WavSource(const WavSource&) = delete;
    WavSource& operator=(const WavSource&) = delete;

    bool isOpen() const { return m_file != nullptr; }
    // The file's length at its own rate, in seconds.
    double durationSeconds() const;
    // Appends up to about `maxFrames` converted frames (interleaved) to `out`; returns the number
    // of frames appended, 0 once the file is used up or a read fails.
    std::size_t read(std::vector<float>& out, std::size_t maxFrames);

private:
    void mixDown(const std::vector<float>& fileFrames, std::size_t frames);
    std::size_t resample(std::vector<float>& out, bool atEnd);

    struct FileCloser {
        void operator()(void* file) const;
    };
    std::unique_ptr<void, FileCloser> m_file;
    int m_fileChannels = 0;
    double m_fileRate = 0;
    long long m_fileFrames = 0;
    int m_outChannels;
    double m_step;                // input frames per output frame
    std::vector<float> m_pending; // mixed input frames not yet resampled
    double m_position = 0;        // fractional read position into m_pending
    bool m_ended = false;
};

} // namespace tallix::platform
