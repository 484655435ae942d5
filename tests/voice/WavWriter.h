#pragma once

#include <QFile>
#include <QString>

#include <functional>
#include <vector>

#include <sndfile.h>

namespace tallix::voice::test {

// Writes a WAV file of `seconds` with the given libsndfile sub-format (SF_FORMAT_PCM_16, ...);
// `sample(time, channel)` gives each sample's value.
inline bool writeWav(const QString& path, int subFormat, int channels, int rate, double seconds,
                     const std::function<double(double, int)>& sample) {
    SF_INFO info{};
    info.samplerate = rate;
    info.channels = channels;
    info.format = SF_FORMAT_WAV | subFormat;
    const QByteArray name = QFile::encodeName(path);
    SNDFILE* file = sf_open(name.constData(), SFM_WRITE, &info);
    if (file == nullptr) {
        return false;
    }
    const auto frames = static_cast<sf_count_t>(seconds * rate + 0.5);
    std::vector<double> data(static_cast<std::size_t>(frames * channels));
    for (sf_count_t f = 0; f < frames; ++f) {
        for (int c = 0; c < channels; ++c) {
            data[static_cast<std::size_t>(f * channels + c)] =
                sample(static_cast<double>(f) / rate, c);
        }
    }
    const bool written = sf_writef_double(file, data.data(), frames) == frames;
    sf_close(file);
    return written;
}

} // namespace tallix::voice::test
