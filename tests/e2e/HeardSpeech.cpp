#include "HeardSpeech.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cmath>
#include <complex>
#include <map>
#include <numbers>
#include <optional>
#include <stdexcept>

#include <sndfile.h>

namespace tallix::e2e {
namespace {

// A sample this loud is sound; the null sink's silence is digital zero.
constexpr int kSilence = 100;
// A recording is looked for where its correlation with the capture first passes this...
constexpr double kFindCorrelation = 0.8;
// ...and taken as heard whole only if it reaches this over its full length...
constexpr double kWholeCorrelation = 0.95;
// ...and if each 10 ms of it is there: what differs from the file may be at most this share of
// the part's energy, plus a little noise, so a missing head, tail or stretch inside shows.
constexpr double kPartResidualShare = 0.1;
constexpr double kPartNoiseLevel = 40;
// The player converts samples but never changes their level much.
constexpr double kMinGain = 0.5;
constexpr double kMaxGain = 2.0;

using Complex = std::complex<double>;

void fft(std::vector<Complex>& data, bool inverse) {
    const std::size_t n = data.size();
    for (std::size_t i = 1, j = 0; i < n; ++i) {
        std::size_t bit = n >> 1;
        for (; j & bit; bit >>= 1) {
            j ^= bit;
        }
        j ^= bit;
        if (i < j) {
            std::swap(data[i], data[j]);
        }
    }
    for (std::size_t length = 2; length <= n; length <<= 1) {
        const double angle =
            2 * std::numbers::pi / static_cast<double>(length) * (inverse ? 1 : -1);
        const Complex step(std::cos(angle), std::sin(angle));
        for (std::size_t i = 0; i < n; i += length) {
            Complex w(1);
            for (std::size_t k = 0; k < length / 2; ++k) {
                const Complex u = data[i + k];
                const Complex v = data[i + k + length / 2] * w;
                data[i + k] = u + v;
                data[i + k + length / 2] = u - v;
                w *= step;
            }
        }
    }
    if (inverse) {
        for (Complex& value : data) {
            value /= static_cast<double>(n);
        }
    }
}

double energy(const std::vector<short>& samples) {
    double sum = 0;
    for (const short s : samples) {
        sum += static_cast<double>(s) * s;
    }
    return sum;
}

// The capture read against one recording at every offset where the recording fits in whole.
class Correlation {
public:
    Correlation(const std::vector<Complex>& captureBins, const std::vector<double>& prefixEnergy,
                const Recording& recording)
        : m_prefixEnergy(prefixEnergy), m_length(recording.samples.size()),
          m_norm(std::sqrt(energy(recording.samples))) {
        std::vector<Complex> bins(captureBins.size());
        std::copy(recording.samples.begin(), recording.samples.end(), bins.begin());
        fft(bins, false);
        for (std::size_t i = 0; i < bins.size(); ++i) {
            bins[i] = captureBins[i] * std::conj(bins[i]);
        }
        fft(bins, true);
        const std::size_t offsets =
            prefixEnergy.size() > m_length ? prefixEnergy.size() - m_length : 0;
        m_dot.resize(offsets);
        for (std::size_t i = 0; i < offsets; ++i) {
            m_dot[i] = bins[i].real();
        }
    }

    std::size_t offsets() const { return m_dot.size(); }

    double normalised(std::size_t offset) const {
        const double window = m_prefixEnergy[offset + m_length] - m_prefixEnergy[offset];
        return window <= 0 || m_norm == 0 ? 0 : m_dot[offset] / (m_norm * std::sqrt(window));
    }

    double gain(std::size_t offset) const {
        return m_norm == 0 ? 0 : m_dot[offset] / (m_norm * m_norm);
    }

    // The best match at or after `from`: the first offset that looks like the recording, then
    // the best alignment close to it.
    bool find(std::size_t from, std::size_t& offset) const {
        std::size_t first = from;
        while (first < offsets() && normalised(first) < kFindCorrelation) {
            ++first;
        }
        if (first >= offsets()) {
            return false;
        }
        offset = first;
        for (std::size_t i = first; i < std::min(offsets(), first + m_length / 2); ++i) {
            if (normalised(i) > normalised(offset)) {
                offset = i;
            }
        }
        return true;
    }

private:
    const std::vector<double>& m_prefixEnergy;
    std::size_t m_length;
    double m_norm;
    std::vector<double> m_dot;
};

QString seconds(std::size_t samples, int rate) {
    return QString::number(static_cast<double>(samples) / rate, 'f', 3) + 's';
}

// Marks the stretches of the match that the server lost on its own (see ServerLoss): digital
// silence, no longer than it may lose, where the recording sounds, begun after the head guard
// and ended inside the match. Tells where each began in the capture.
std::vector<bool> serverLosses(const std::vector<short>& capture, const Recording& recording,
                               const Heard& heard, ServerLoss loss,
                               std::vector<std::size_t>& where) {
    std::vector<bool> lost(heard.length, false);
    if (loss.cycle == 0) {
        return lost;
    }
    const auto silent = [&](std::size_t i) { return capture[heard.start + i] == 0; };
    std::size_t i = loss.headGuard;
    while (i < heard.length && i > 0 && silent(i - 1)) {
        ++i;
    }
    while (i < heard.length) {
        if (!silent(i)) {
            ++i;
            continue;
        }
        std::size_t end = i;
        while (end < heard.length && silent(end)) {
            ++end;
        }
        const auto from = recording.samples.begin() + static_cast<std::ptrdiff_t>(i);
        const bool sounds = std::any_of(from, from + static_cast<std::ptrdiff_t>(end - i),
                                        [](short s) { return std::abs(s) > kSilence; });
        if (end < heard.length && loss.fits(end - i) && sounds) {
            std::fill(lost.begin() + static_cast<std::ptrdiff_t>(i),
                      lost.begin() + static_cast<std::ptrdiff_t>(end), true);
            where.push_back(heard.start + i);
        }
        i = end;
    }
    return lost;
}

// Empty if every 10 ms of the recording is in the capture at the match, but for what the server
// lost on its own; else what is wrong.
QString wholeness(const std::vector<short>& capture, const Recording& recording, const Heard& heard,
                  int rate, const std::vector<bool>& lostByServer) {
    if (heard.correlation < kWholeCorrelation) {
        return QStringLiteral("%1 at %2 matches only %3")
            .arg(heard.name, seconds(heard.start, rate))
            .arg(heard.correlation, 0, 'f', 3);
    }
    if (heard.gain < kMinGain || heard.gain > kMaxGain) {
        return QStringLiteral("%1 at %2 is at %3 times its level")
            .arg(heard.name, seconds(heard.start, rate))
            .arg(heard.gain, 0, 'f', 2);
    }
    const std::size_t part = static_cast<std::size_t>(rate) / 100;
    for (std::size_t begin = 0; begin < heard.length; begin += part) {
        const std::size_t end = std::min(heard.length, begin + part);
        double reference = 0;
        double residual = 0;
        std::size_t counted = 0;
        for (std::size_t i = begin; i < end; ++i) {
            if (lostByServer[i]) {
                continue;
            }
            const double expected = heard.gain * recording.samples[i];
            const double difference = capture[heard.start + i] - expected;
            reference += expected * expected;
            residual += difference * difference;
            ++counted;
        }
        const double allowed = kPartResidualShare * reference +
                               static_cast<double>(counted) * kPartNoiseLevel * kPartNoiseLevel;
        if (residual > allowed) {
            return QStringLiteral("%1 at %2 is cut or broken %3 into the file")
                .arg(heard.name, seconds(heard.start, rate), seconds(begin, rate));
        }
    }
    return {};
}

// Empty if nothing outside the matches is louder than silence; else where the first sound is.
QString silenceOutside(const std::vector<short>& capture, const std::vector<Heard>& heard,
                       int rate) {
    std::size_t next = 0;
    auto check = [&](std::size_t from, std::size_t to) {
        for (std::size_t i = from; i < to; ++i) {
            if (std::abs(capture[i]) > kSilence) {
                return QStringLiteral("sound at %1 that is none of the expected recordings")
                    .arg(seconds(i, rate));
            }
        }
        return QString();
    };
    for (const Heard& match : heard) {
        if (QString fault = check(next, match.start); !fault.isEmpty()) {
            return fault;
        }
        next = match.start + match.length;
    }
    return check(next, capture.size());
}

} // namespace

Recording loadRecording(const QString& path) {
    SF_INFO info{};
    const QByteArray name = QFile::encodeName(path);
    SNDFILE* file = sf_open(name.constData(), SFM_READ, &info);
    if (file == nullptr || info.channels != 1) {
        if (file != nullptr) {
            sf_close(file);
        }
        throw std::runtime_error("not a mono sound file: " + path.toStdString());
    }
    Recording recording{QFileInfo(path).completeBaseName(),
                        std::vector<short>(static_cast<std::size_t>(info.frames))};
    sf_readf_short(file, recording.samples.data(), info.frames);
    sf_close(file);
    return recording;
}

bool saveRecording(const QString& path, const std::vector<short>& samples, int rate) {
    SF_INFO info{};
    info.samplerate = rate;
    info.channels = 1;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    const QByteArray name = QFile::encodeName(path);
    SNDFILE* file = sf_open(name.constData(), SFM_WRITE, &info);
    if (file == nullptr) {
        return false;
    }
    const auto frames = static_cast<sf_count_t>(samples.size());
    const bool written = sf_writef_short(file, samples.data(), frames) == frames;
    return sf_close(file) == 0 && written;
}

QString Hearing::describe(int rate) const {
    QString text;
    for (const Heard& match : heard) {
        text += QStringLiteral("%1 @%2 (r=%3) ")
                    .arg(match.name, seconds(match.start, rate))
                    .arg(match.correlation, 0, 'f', 3);
    }
    for (const std::size_t at : serverLosses) {
        text += QStringLiteral("(the server lost a stretch at %1) ").arg(seconds(at, rate));
    }
    return text.isEmpty() ? QStringLiteral("nothing") : text.trimmed();
}

namespace {

// Every recording matched where it sounds whole, in order, with what the server lost in place.
Hearing hearInPlace(const std::vector<short>& capture,
                    const std::vector<const Recording*>& expected, int rate, ServerLoss loss) {
    std::size_t size = 1;
    std::size_t longest = 0;
    for (const Recording* recording : expected) {
        longest = std::max(longest, recording->samples.size());
    }
    while (size < capture.size() + longest) {
        size <<= 1;
    }
    std::vector<Complex> bins(size);
    std::copy(capture.begin(), capture.end(), bins.begin());
    fft(bins, false);
    std::vector<double> prefixEnergy(capture.size() + 1);
    for (std::size_t i = 0; i < capture.size(); ++i) {
        prefixEnergy[i + 1] = prefixEnergy[i] + static_cast<double>(capture[i]) * capture[i];
    }

    std::map<QString, Correlation> correlations;
    Hearing hearing;
    std::size_t from = 0;
    for (const Recording* recording : expected) {
        auto found = correlations.find(recording->name);
        if (found == correlations.end()) {
            found = correlations.try_emplace(recording->name, bins, prefixEnergy, *recording).first;
        }
        const Correlation& correlation = found->second;
        std::size_t offset = 0;
        if (!correlation.find(from, offset)) {
            break;
        }
        const Heard match{recording->name, offset, recording->samples.size(),
                          correlation.normalised(offset), correlation.gain(offset)};
        hearing.heard.push_back(match);
        const std::vector<bool> lostByServer =
            serverLosses(capture, *recording, match, loss, hearing.serverLosses);
        hearing.fault = wholeness(capture, *recording, match, rate, lostByServer);
        if (!hearing.fault.isEmpty()) {
            return hearing;
        }
        from = offset + match.length;
    }
    hearing.fault = silenceOutside(capture, hearing.heard, rate);
    return hearing;
}

// A stretch of digital silence taken out of a capture: where it was, counted in the capture with
// the stretches before it taken out, and how long.
struct Taken {
    std::size_t at;
    std::size_t length;
};

// The first digital silence at or after `from`, between sounds, as long as a loss may be.
std::optional<Taken> lossLikeSilence(const std::vector<short>& capture, std::size_t from,
                                     ServerLoss loss) {
    for (std::size_t i = std::max<std::size_t>(from, 1); i < capture.size(); ++i) {
        if (capture[i] != 0 || capture[i - 1] == 0) {
            continue;
        }
        std::size_t end = i;
        while (end < capture.size() && capture[end] == 0) {
            ++end;
        }
        if (end < capture.size() && loss.fits(end - i)) {
            return Taken{i, end - i};
        }
        i = end;
    }
    return std::nullopt;
}

// Where the next loss may be: inside the recording that was not whole, past its head, or after
// the last one heard whole.
std::size_t whereLossMayBe(const Hearing& hearing, ServerLoss loss) {
    if (hearing.heard.empty()) {
        return 0;
    }
    const Heard& last = hearing.heard.back();
    return hearing.fault.isEmpty() ? last.start + last.length : last.start + loss.headGuard;
}

bool insideAfterHead(const Hearing& hearing, std::size_t at, ServerLoss loss) {
    return std::any_of(hearing.heard.begin(), hearing.heard.end(), [&](const Heard& heard) {
        return at >= heard.start + loss.headGuard && at < heard.start + heard.length;
    });
}

// Positions in the capture with the stretches taken out, as they are in the whole capture.
std::size_t inWholeCapture(std::size_t at, const std::vector<Taken>& taken) {
    std::size_t whole = at;
    for (const Taken& stretch : taken) {
        whole += stretch.at <= at ? stretch.length : 0;
    }
    return whole;
}

} // namespace

// The server may also put a lost cycle's silence before the rest of a recording instead of in
// its place: the rest then comes late by as much, and matches nowhere whole. Such a silence, one
// or two, is taken out and the capture heard again; that counts only if everything heard before
// is still heard, nothing is wrong, and each silence taken out lay inside a recording past its
// head.
Hearing hear(const std::vector<short>& capture, const std::vector<const Recording*>& expected,
             int rate, ServerLoss loss) {
    const Hearing inPlace = hearInPlace(capture, expected, rate, loss);
    if (loss.cycle == 0 || (inPlace.fault.isEmpty() && inPlace.heard.size() == expected.size())) {
        return inPlace;
    }
    std::vector<short> spliced = capture;
    std::vector<Taken> taken;
    Hearing again = inPlace;
    for (int attempt = 0; attempt < 2; ++attempt) {
        const std::size_t from =
            std::max(whereLossMayBe(again, loss), taken.empty() ? 0 : taken.back().at + 1);
        const std::optional<Taken> silence = lossLikeSilence(spliced, from, loss);
        if (!silence) {
            break;
        }
        const auto at = spliced.begin() + static_cast<std::ptrdiff_t>(silence->at);
        spliced.erase(at, at + static_cast<std::ptrdiff_t>(silence->length));
        taken.push_back(*silence);
        again = hearInPlace(spliced, expected, rate, loss);
        const bool better = again.fault.isEmpty() && again.heard.size() >= inPlace.heard.size() &&
                            (!inPlace.fault.isEmpty() || again.heard.size() > inPlace.heard.size());
        if (better && std::all_of(taken.begin(), taken.end(), [&](const Taken& stretch) {
                return insideAfterHead(again, stretch.at, loss);
            })) {
            for (Heard& heard : again.heard) {
                heard.start = inWholeCapture(heard.start, taken);
            }
            for (std::size_t& lost : again.serverLosses) {
                lost = inWholeCapture(lost, taken);
            }
            for (const Taken& stretch : taken) {
                again.serverLosses.push_back(inWholeCapture(stretch.at, taken) - stretch.length);
            }
            std::sort(again.serverLosses.begin(), again.serverLosses.end());
            return again;
        }
    }
    return inPlace;
}

std::size_t firstSound(const std::vector<short>& capture) {
    const auto sound = std::find_if(capture.begin(), capture.end(),
                                    [](short s) { return std::abs(s) > kSilence; });
    return static_cast<std::size_t>(sound - capture.begin());
}

std::size_t endOfSound(const std::vector<short>& capture) {
    const auto sound = std::find_if(capture.rbegin(), capture.rend(),
                                    [](short s) { return std::abs(s) > kSilence; });
    return static_cast<std::size_t>(capture.rend() - sound);
}

} // namespace tallix::e2e
