#include "platform/WavSource.h"

#include "platform/NativeFileNames.h"

#include <algorithm>
#include <cmath>

#include <sndfile.h>
#include <soxr.h>

namespace tallix::platform {

void WavSource::FileCloser::operator()(void* file) const {
    sf_close(static_cast<SNDFILE*>(file));
}

void WavSource::ResamplerDeleter::operator()(void* resampler) const {
    soxr_delete(static_cast<soxr_t>(resampler));
}

WavSource::WavSource(const QString& path, int outputChannels, double outputRate)
    : m_outChannels(outputChannels), m_outRate(outputRate) {
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
    if (m_fileRate == outputRate) {
        return;
    }
    // High quality: flat to about 91 % of the lower Nyquist frequency, and what lies beyond it
    // about 120 dB down, far below what 16-bit recordings hold.
    const soxr_io_spec_t formats = soxr_io_spec(SOXR_FLOAT32_I, SOXR_FLOAT32_I);
    const soxr_quality_spec_t quality = soxr_quality_spec(SOXR_HQ, 0);
    soxr_error_t error = nullptr;
    m_resampler.reset(soxr_create(m_fileRate, outputRate, static_cast<unsigned>(outputChannels),
                                  &error, &formats, &quality, nullptr));
    if (error != nullptr) {
        m_resampler.reset();
        m_file.reset();
    }
}

WavSource::~WavSource() = default;

double WavSource::durationSeconds() const {
    return m_fileRate > 0 ? static_cast<double>(m_fileFrames) / m_fileRate : 0.0;
}

std::size_t WavSource::read(std::vector<float>& out, std::size_t maxFrames) {
    if (!isOpen()) {
        return 0;
    }
    const auto wanted = static_cast<sf_count_t>(
        std::max(2.0, std::ceil(static_cast<double>(maxFrames) * m_fileRate / m_outRate)));
    std::vector<float> fileFrames(static_cast<std::size_t>(wanted) *
                                  static_cast<std::size_t>(m_fileChannels));
    std::size_t produced = 0;
    while (produced == 0 && !m_drained) {
        if (!m_ended) {
            const sf_count_t got =
                sf_readf_float(static_cast<SNDFILE*>(m_file.get()), fileFrames.data(), wanted);
            m_ended = got <= 0;
            mixDown(fileFrames, m_ended ? 0 : static_cast<std::size_t>(got));
        }
        produced = convert(out, std::max<std::size_t>(maxFrames, 1));
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

// Hands the mixed frames out, through the resampler where the rates differ. Once the file is
// read to its end, the resampler gives out what its filter still holds, up to `maxFrames` a call.
std::size_t WavSource::convert(std::vector<float>& out, std::size_t maxFrames) {
    const auto ch = static_cast<std::size_t>(m_outChannels);
    if (!m_resampler) {
        const std::size_t frames = m_pending.size() / ch;
        out.insert(out.end(), m_pending.begin(), m_pending.end());
        m_pending.clear();
        m_drained = m_ended && frames == 0;
        return frames;
    }
    auto* resampler = static_cast<soxr_t>(m_resampler.get());
    const std::size_t inFrames = m_pending.size() / ch;
    const std::size_t room =
        m_ended ? maxFrames
                : static_cast<std::size_t>(
                      std::ceil(static_cast<double>(inFrames) * m_outRate / m_fileRate)) +
                      16;
    const std::size_t before = out.size();
    out.resize(before + room * ch);
    std::size_t used = 0;
    std::size_t done = 0;
    // A null input tells the resampler that the input has ended.
    const soxr_error_t error = soxr_process(resampler, m_ended ? nullptr : m_pending.data(),
                                            inFrames, &used, out.data() + before, room, &done);
    if (error != nullptr) {
        done = 0;
        m_ended = true;
        m_drained = true;
    }
    out.resize(before + done * ch);
    // The filter rings past full scale on a recording that already touches it.
    for (auto sample = out.begin() + static_cast<std::ptrdiff_t>(before); sample != out.end();
         ++sample) {
        *sample = std::clamp(*sample, -1.0f, 1.0f);
    }
    m_pending.erase(m_pending.begin(), m_pending.begin() + static_cast<std::ptrdiff_t>(used * ch));
    m_drained = m_drained || (m_ended && done < room);
    return done;
}

} // namespace tallix::platform
