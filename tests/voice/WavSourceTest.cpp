#include "platform/WavSource.h"

#include "WavWriter.h"

#include <QTemporaryDir>

#include <algorithm>
#include <cmath>
#include <numbers>

#include <gtest/gtest.h>

namespace tallix::voice::test {
namespace {

using platform::WavSource;

constexpr double kSeconds = 0.25;
constexpr std::size_t kEdgeFrames = 97;

// A rising ramp on the first channel and its mirror image on the second: within the file a ramp
// holds nothing a resampler filters out, so any conversion error shows. At its ends, where it
// jumps from silence, a band-limited resampler rings: the first and last few milliseconds
// (kEdgeFrames at the output rate) are not compared.
double ramp(double time, int channel) {
    const double value = time / kSeconds - 0.5;
    return channel == 0 ? value : -value;
}

struct Format {
    const char* name;
    int subFormat;
    int channels;
    int rate;
    double tolerance;
};

std::vector<float> readAll(WavSource& source) {
    std::vector<float> frames;
    while (source.read(frames, 1000) > 0) {
    }
    return frames;
}

class WavSourceFormats : public ::testing::TestWithParam<Format> {
protected:
    QString write() {
        const Format& format = GetParam();
        const QString path = m_dir.filePath(QString::fromLatin1(format.name) + ".wav");
        EXPECT_TRUE(writeWav(path, format.subFormat, format.channels, format.rate, kSeconds, ramp));
        return path;
    }
    QTemporaryDir m_dir;
};

TEST_P(WavSourceFormats, ConvertsToAMonoOutputAtTheVoiceRate) {
    const Format& format = GetParam();
    WavSource source(write(), 1, 22050);
    ASSERT_TRUE(source.isOpen());
    EXPECT_NEAR(source.durationSeconds(), kSeconds, 1.0 / format.rate);
    const std::vector<float> frames = readAll(source);
    ASSERT_NEAR(static_cast<double>(frames.size()), kSeconds * 22050, 22050.0 / format.rate + 2);
    for (std::size_t i = kEdgeFrames; i + kEdgeFrames < frames.size(); i += 97) {
        // Two mirrored channels average to silence; one channel is the ramp itself.
        const double expected =
            format.channels == 1 ? ramp(static_cast<double>(i) / 22050, 0) : 0.0;
        ASSERT_NEAR(frames[i], expected, format.tolerance) << "frame " << i;
    }
}

TEST_P(WavSourceFormats, ConvertsToAStereoOutputAtAnotherRate) {
    const Format& format = GetParam();
    WavSource source(write(), 2, 48000);
    ASSERT_TRUE(source.isOpen());
    const std::vector<float> frames = readAll(source);
    ASSERT_NEAR(static_cast<double>(frames.size()) / 2, kSeconds * 48000,
                48000.0 / format.rate + 2);
    for (std::size_t i = 2 * kEdgeFrames; i + 2 * kEdgeFrames < frames.size() / 2; i += 101) {
        const double time = static_cast<double>(i) / 48000;
        ASSERT_NEAR(frames[2 * i], ramp(time, 0), format.tolerance) << "frame " << i;
        const double right = format.channels == 1 ? ramp(time, 0) : ramp(time, 1);
        ASSERT_NEAR(frames[2 * i + 1], right, format.tolerance) << "frame " << i;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Formats, WavSourceFormats,
    ::testing::Values(Format{"u8_mono_8000", SF_FORMAT_PCM_U8, 1, 8000, 0.02},
                      Format{"s16_stereo_44100", SF_FORMAT_PCM_16, 2, 44100, 2e-3},
                      Format{"s16_mono_22050", SF_FORMAT_PCM_16, 1, 22050, 2e-3},
                      Format{"s24_mono_11025", SF_FORMAT_PCM_24, 1, 11025, 2e-3},
                      Format{"s32_stereo_48000", SF_FORMAT_PCM_32, 2, 48000, 2e-3},
                      Format{"float_mono_16000", SF_FORMAT_FLOAT, 1, 16000, 2e-3},
                      Format{"double_stereo_96000", SF_FORMAT_DOUBLE, 2, 96000, 2e-3},
                      Format{"s16_stereo_7350", SF_FORMAT_PCM_16, 2, 7350, 2e-3}),
    [](const auto& param) { return std::string(param.param.name); });

// A tone at half scale with 5 ms fades, so that its edges put no energy of their own into the
// band; read at the voice rate: mean square, pitch from the zero crossings, and length.
struct ConvertedTone {
    double meanSquare = 0;
    double frequency = 0;
    std::size_t frames = 0;
};

ConvertedTone convertTone(double frequency, int rate) {
    QTemporaryDir dir;
    const QString path = dir.filePath("tone.wav");
    EXPECT_TRUE(writeWav(path, SF_FORMAT_FLOAT, 1, rate, kSeconds, [=](double time, int) {
        const double fade = std::min({1.0, time / 0.005, (kSeconds - time) / 0.005});
        return 0.5 * fade * std::sin(2 * std::numbers::pi * frequency * time);
    }));
    WavSource source(path, 1, 22050);
    const std::vector<float> frames = readAll(source);
    ConvertedTone result;
    result.frames = frames.size();
    double firstCrossing = -1;
    double lastCrossing = -1;
    int crossings = 0;
    for (std::size_t i = 1; i < frames.size(); ++i) {
        const double a = frames[i - 1];
        const double b = frames[i];
        result.meanSquare += b * b / static_cast<double>(frames.size());
        if ((a < 0) != (b < 0) && std::abs(a - b) > 0.05) {
            lastCrossing = static_cast<double>(i - 1) + a / (a - b);
            firstCrossing = firstCrossing < 0 ? lastCrossing : firstCrossing;
            ++crossings;
        }
    }
    if (crossings > 1) {
        result.frequency = 0.5 * (crossings - 1) / ((lastCrossing - firstCrossing) / 22050);
    }
    return result;
}

// What lies above the voice rate's Nyquist frequency is filtered out rather than folded back
// into the band as a tone of another pitch (15 kHz at 44.1 and 48 kHz would come back as
// 7.05 kHz).
TEST(WavSource, ToneAboveTheOutputNyquistDoesNotAlias) {
    for (const int rate : {44100, 48000}) {
        EXPECT_LT(convertTone(15000, rate).meanSquare, 0.125 * 1e-4) << rate << " Hz";
    }
}

// A tone within the band keeps its loudness, its pitch and its length, from a rate below the
// voice rate and from one above it.
TEST(WavSource, ToneInBandKeepsItsLoudnessPitchAndLength) {
    const double fadedMeanSquare = 0.125 * (kSeconds - 2 * 0.005 * 2 / 3) / kSeconds;
    for (const int rate : {8000, 11025, 44100, 48000}) {
        const ConvertedTone tone = convertTone(1000, rate);
        EXPECT_NEAR(tone.meanSquare, fadedMeanSquare, 0.02 * fadedMeanSquare) << rate << " Hz";
        EXPECT_NEAR(tone.frequency, 1000, 1) << rate << " Hz";
        EXPECT_NEAR(static_cast<double>(tone.frames), kSeconds * 22050, 1) << rate << " Hz";
    }
}

TEST(WavSource, FilesThatCannotBeDecodedDoNotOpen) {
    QTemporaryDir dir;
    const QString garbage = dir.filePath("garbage.wav");
    QFile file(garbage);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray("RIFF\x10\0\0\0WAVEjunk", 16) + QByteArray(300, '\x7f'));
    file.close();
    EXPECT_FALSE(WavSource(garbage, 1, 22050).isOpen());
    EXPECT_FALSE(WavSource(dir.filePath("missing.wav"), 1, 22050).isOpen());
    EXPECT_FALSE(WavSource(dir.path(), 1, 22050).isOpen()) << "a folder is not a sound";
}

TEST(WavSource, TruncatedFilePlaysWhatIsThere) {
    QTemporaryDir dir;
    const QString path = dir.filePath("cut.wav");
    ASSERT_TRUE(writeWav(path, SF_FORMAT_PCM_16, 1, 22050, 0.5, ramp));
    QFile file(path);
    ASSERT_TRUE(file.resize(44 + 2 * 1000));
    WavSource source(path, 1, 22050);
    ASSERT_TRUE(source.isOpen());
    EXPECT_NEAR(static_cast<double>(readAll(source).size()), 1000, 2);
}

TEST(WavSource, OverdrivenFloatSamplesAreClipped) {
    QTemporaryDir dir;
    const QString path = dir.filePath("loud.wav");
    ASSERT_TRUE(writeWav(path, SF_FORMAT_FLOAT, 1, 22050, 0.1, [](double, int) { return 3.0; }));
    WavSource source(path, 1, 22050);
    for (const float value : readAll(source)) {
        ASSERT_LE(value, 1.0f);
    }
}

} // namespace
} // namespace tallix::voice::test
