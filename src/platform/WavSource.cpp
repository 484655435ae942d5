#include "platform/WavSource.h"

#include "platform/NativeFileNames.h"

#include <algorithm>
#include <cmath>

#include <sndfile.h>

namespace tallix::platform {

void WavSource::FileCloser::operator()(void* file) const {
    sf_close(static_cast<SNDFILE*>(file));
}

WavSource::WavSource(const QString& path, int outputChannels, double outputRate)
    : m_outChannels(outputChannels), m_step(1.0) {
    SF_INFO info{};
    const QByteArray name = fileNameToBytes(path);
    SNDFILE* file = sf_open(name.constData(), SFM_READ, &info);
    if (file == nullptr) {
        return;
    }
    m_file.reset(file);
    if (info.channels <= 0 || info.samplerate <= 0) {
        m_file.reset();
        return;
    }
    // Integer files come in as floats in [-1, 1); float files are clipped below so that a
    // badly scaled recording cannot overdrive the output.
    sf_command(file, SFC_SET_NORM_FLOAT, nullptr, SF_TRUE);
    m_fileChannels = info.channels;
    m_fileRate = info.samplerate;
    m_fileFrames = info.frames;
    m_step = m_fileRate / outputRate;
}

WavSource::~WavSource() = default;

double WavSource::durationSeconds() const {
    return m_fileRate > 0 ? static_cast<double>(m_fileFrames) / m_fileRate : 0.0;
}

std::size_t WavSource::read(std::vector<float>& out, std::size_t maxFrames) {
    if (!isOpen()) {
        return 0;
    }
    const auto wanted =
        static_cast<sf_count_t>(std::max(2.0, std::ceil(static_cast<double>(maxFrames) * m_step)));
    std::vector<float> fileFrames(static_cast<std::size_t>(wanted) *
                                  static_cast<std::size_t>(m_fileChannels));
    std::size_t produced = 0;
    while (produced == 0 && !m_ended) {
        const sf_count_t got =
            sf_readf_float(static_cast<SNDFILE*>(m_file.get()), fileFrames.data(), wanted);
        m_ended = got <= 0;
        mixDown(fileFrames, m_ended ? 0 : static_cast<std::size_t>(got));
        produced = resample(out, m_ended);
    }
    return produced;
}

// Brings the file's channels to the output's: an average for a mono output, otherwise the
// first channels in order, a mono file copied to every output channel.
void WavSource::mixDown(const std::vector<float>& fileFrames, std::size_t frames) {
    const auto in = static_cast<std::size_t>(m_fileChannels);
    const auto outCh = static_cast<std::size_t>(m_outChannels);
    for (std::size_t f = 0; f < frames; ++f) {
        const float* frame = &fileFrames[f * in];
        for (std::size_t c = 0; c < outCh; ++c) {
            float value = 0;
            if (outCh == 1) {
                for (std::size_t k = 0; k < in; ++k) {
                    value += frame[k];
                }
                value /= static_cast<float>(in);
            } else {
                value = frame[std::min(c, in - 1)];
            }
            m_pending.push_back(std::clamp(value, -1.0f, 1.0f));
        }
    }
}

// Linear interpolation between neighbouring frames: plenty for short spoken words, and it keeps
// the output's length exactly the file's duration.
std::size_t WavSource::resample(std::vector<float>& out, bool atEnd) {
    const auto ch = static_cast<std::size_t>(m_outChannels);
    const std::size_t available = m_pending.size() / ch;
    std::size_t produced = 0;
    const double limit =
        atEnd ? static_cast<double>(available) : static_cast<double>(available) - 1;
    while (m_position < limit) {
        const auto index = static_cast<std::size_t>(m_position);
        const auto fraction = static_cast<float>(m_position - static_cast<double>(index));
        const std::size_t next = std::min(index + 1, available - 1);
        for (std::size_t c = 0; c < ch; ++c) {
            const float a = m_pending[index * ch + c];
            const float b = m_pending[next * ch + c];
            out.push_back(a + (b - a) * fraction);
        }
        ++produced;
        m_position += m_step;
    }
    const auto consumed = std::min(static_cast<std::size_t>(m_position), available);
    m_pending.erase(m_pending.begin(),
                    m_pending.begin() + static_cast<std::ptrdiff_t>(consumed * ch));
    m_position -= static_cast<double>(consumed);
    return produced;
}

} // namespace tallix::platform
