#pragma once

#include <QString>

#include <memory>
#include <vector>

namespace tallix::platform {

// Reads a sound file (any PCM or float WAV, or whatever else libsndfile decodes) as float frames
// with the channel count and sample rate of the output, whatever the file's own format is. A file
// at another rate is converted with a band-limited resampler (libsoxr), so that what lies above
// the output's Nyquist frequency is filtered out instead of folding back as audible aliases.
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
    std::size_t convert(std::vector<float>& out, std::size_t maxFrames);

    struct FileCloser {
        void operator()(void* file) const;
    };
    struct ResamplerDeleter {
        void operator()(void* resampler) const;
    };
    std::unique_ptr<void, FileCloser> m_file;
    std::unique_ptr<void, ResamplerDeleter> m_resampler; // none when the rates are equal
    int m_fileChannels = 0;
    double m_fileRate = 0;
    long long m_fileFrames = 0;
    int m_outChannels;
    double m_outRate;
    std::vector<float> m_pending; // mixed input frames not yet converted
    bool m_ended = false;         // the file is read to its end
    bool m_drained = false;       // and everything converted has been handed out
};

} // namespace tallix::platform
