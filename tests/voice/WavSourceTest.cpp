#include "platform/WavSource.h"

#include "WavWriter.h"

#include <QTemporaryDir>

#include <cmath>

#include <gtest/gtest.h>

namespace tallix::voice::test {
namespace {

using platform::WavSource;

constexpr double kSeconds = 0.25;

// A rising ramp on the first channel and its mirror image on the second: linear interpolation
// reproduces a ramp exactly, so any conversion error shows.
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
    for (std::size_t i = 0; i < frames.size(); i += 97) {
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
    for (std::size_t i = 0; i + 1 < frames.size() / 2; i += 101) {
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
