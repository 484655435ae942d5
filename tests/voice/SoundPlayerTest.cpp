#include "platform/SoundPlayer.h"

#include "WavWriter.h"

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>

#include <cmath>
#include <numbers>

#include <gtest/gtest.h>

namespace tallix::voice::test {
namespace {

double tone(double time, int) {
    return 0.5 * std::sin(2 * std::numbers::pi * 440 * time);
}

qint64 millisecondsToPlay(platform::SoundPlayer& player, const QString& path) {
    QElapsedTimer timer;
    timer.start();
    player.playFile(path);
    return timer.elapsed();
}

class SoundFiles : public ::testing::Test {
protected:
    QString wav(const QString& name, double seconds, int subFormat = SF_FORMAT_PCM_16,
                int channels = 1, int rate = 22050) {
        const QString path = m_dir.filePath(name);
        EXPECT_TRUE(writeWav(path, subFormat, channels, rate, seconds, tone));
        return path;
    }
    QString garbage() {
        const QString path = m_dir.filePath("garbage.wav");
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(5000, 'x'));
        return path;
    }
    QString missing() const { return m_dir.filePath("missing.wav"); }
    QString folder() const { return m_dir.path() + '/'; }

    QTemporaryDir m_dir;
};

TEST_F(SoundFiles, SilentOutputTakesEachFileItsOwnDuration) {
    const auto player = platform::makeSoundPlayer(platform::SoundOutput::Silent);
    const qint64 u8 = millisecondsToPlay(*player, wav("a.wav", 0.2, SF_FORMAT_PCM_U8, 1, 8000));
    const qint64 f32 = millisecondsToPlay(*player, wav("b.wav", 0.3, SF_FORMAT_FLOAT, 2, 44100));
    EXPECT_GE(u8, 195);
    EXPECT_LT(u8, 300);
    EXPECT_GE(f32, 295);
    EXPECT_LT(f32, 400);
    EXPECT_LT(millisecondsToPlay(*player, missing()), 5);
    EXPECT_LT(millisecondsToPlay(*player, garbage()), 20);
}

TEST_F(SoundFiles, MissingFileReturnsAtOnceWithoutTouchingTheDevice) {
    const auto player = platform::makeSoundPlayer(platform::SoundOutput::DefaultDevice);
    EXPECT_LT(millisecondsToPlay(*player, missing()), 5);
    EXPECT_LT(millisecondsToPlay(*player, folder() + "absent/1.wav"), 5);
}

// Whatever the user's client settings say, no sound server is ever started for this process (nor
// through ALSA's plugin, which PortAudio reaches): the settings the client library would read
// are kept, in its order (the main file, then its ".d" folder's ".conf" files by name, up to
// 1 MB in all), and autospawn is turned off after all of them.
TEST_F(SoundFiles, PulseClientSettingsAreTheUsersWithAutospawnOff) {
    const auto write = [](const QString& path, const QByteArray& text) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
    };
    write(m_dir.filePath("client.conf"), "default-sink = mine\nautospawn = yes\n");
    ASSERT_TRUE(QDir(m_dir.path()).mkdir("client.conf.d"));
    write(m_dir.filePath("client.conf.d/20-b.conf"), "cookie-file = /b\n");
    write(m_dir.filePath("client.conf.d/10-a.conf"), "autospawn = yes\n");
    write(m_dir.filePath("client.conf.d/notes.txt"), "default-sink = ignored\n");
    // Beyond what is read of settings in all: left out, not read in part.
    write(m_dir.filePath("client.conf.d/30-big.conf"),
          QByteArray((1 << 20) - 20, '#') + "\ndefault-sink = big\n");
    QProcess tool;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("PULSE_CLIENTCONFIG", m_dir.filePath("client.conf"));
    tool.setProcessEnvironment(env);
    tool.start(TALLIX_PLAY_TOOL, {"--pulse-client-settings"});
    ASSERT_TRUE(tool.waitForFinished(5000));
    ASSERT_EQ(tool.exitCode(), 0);
    const QByteArray settings = tool.readAllStandardOutput();
    qsizetype at = 0;
    for (const char* line : {"default-sink = mine", "autospawn = yes", "autospawn = yes",
                             "cookie-file = /b", "autospawn = no"}) {
        at = settings.indexOf(line, at);
        ASSERT_GE(at, 0) << line << " missing or out of order in\n" << settings.toStdString();
        ++at;
    }
    EXPECT_TRUE(settings.trimmed().endsWith("autospawn = no")) << settings.toStdString();
    EXPECT_FALSE(settings.contains("ignored")) << settings.toStdString();
    EXPECT_FALSE(settings.contains("big"));
}

// Settings named by a pipe that nobody writes to are not read, so that the start goes on.
TEST_F(SoundFiles, PulseClientSettingsFromAPipeDoNotHoldTheStart) {
    const QString pipe = m_dir.filePath("client.conf");
    ASSERT_EQ(QProcess::execute("mkfifo", {pipe}), 0);
    QProcess tool;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("PULSE_CLIENTCONFIG", pipe);
    tool.setProcessEnvironment(env);
    tool.start(TALLIX_PLAY_TOOL, {"--pulse-client-settings"});
    const bool finished = tool.waitForFinished(5000);
    tool.kill();
    ASSERT_TRUE(finished) << "the settings were read from the pipe";
    EXPECT_EQ(tool.readAllStandardOutput().trimmed(), "autospawn = no");
}

// The player runs in a child process whose audio libraries find no device: no PulseAudio server,
// and ALSA's default device is a sound card that does not exist.
class NoDevice : public SoundFiles {
protected:
    void SetUp() override {
        QFile config(m_dir.filePath("alsa.conf"));
        ASSERT_TRUE(config.open(QIODevice::WriteOnly));
        QFile system("/usr/share/alsa/alsa.conf");
        if (system.open(QIODevice::ReadOnly)) {
            // Without the hook that loads the installed plugins' definitions: their devices
            // are no devices here either, and probing them loads whole codec libraries.
            QByteArray text = system.readAll();
            const qsizetype hooks = text.indexOf("@hooks [");
            const qsizetype end = text.indexOf("\n]\n", hooks);
            if (hooks >= 0 && end > hooks) {
                text.remove(hooks, end + 3 - hooks);
            }
            config.write(text);
        }
        config.write("\npcm.!default { type hw card 99 }\nctl.!default { type hw card 99 }\n");
        config.close();
        ASSERT_TRUE(m_dir.path().size() > 0);
        QDir(m_dir.path()).mkdir("runtime");
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("ALSA_CONFIG_PATH", config.fileName());
        env.insert("XDG_RUNTIME_DIR", m_dir.filePath("runtime"));
        env.insert("PULSE_SERVER", "unix:" + m_dir.filePath("no-such-server"));
        env.remove("TALLIX_SOUND_OUTPUT");
        m_process.setProcessEnvironment(env);
    }
    void run(const QStringList& args, int limitMs = 20000) {
        m_process.start(TALLIX_PLAY_TOOL, args);
        ASSERT_TRUE(m_process.waitForFinished(limitMs)) << "the player hangs";
        EXPECT_EQ(m_process.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(m_process.exitCode(), 0);
    }
    QMap<QString, int> timings() {
        QMap<QString, int> result;
        for (const QByteArray& line : m_process.readAllStandardOutput().split('\n')) {
            const QList<QByteArray> fields = line.split(' ');
            if (fields.size() == 2) {
                result.insert(QString::fromLatin1(fields[0]), fields[1].toInt());
            }
        }
        return result;
    }

    QProcess m_process;
};

TEST_F(NoDevice, EachFileTakesItsOwnDurationInSilenceAndNothingIsPrinted) {
    const QStringList files{wav("first.wav", 0.3),
                            wav("second.wav", 0.2, SF_FORMAT_PCM_24, 2, 48000), garbage(),
                            missing(), wav("third.wav", 0.1)};
    run(files);
    const QMap<QString, int> ms = timings();
    ASSERT_EQ(ms.size(), 5);
    EXPECT_GE(ms["first.wav"], 295);
    EXPECT_LT(ms["first.wav"], 1500) << "looking for a device may cost time once, not more";
    EXPECT_GE(ms["second.wav"], 195);
    EXPECT_LT(ms["second.wav"], 300);
    EXPECT_GE(ms["third.wav"], 95);
    EXPECT_LT(ms["third.wav"], 200);
    EXPECT_LT(ms["garbage.wav"], 50);
    EXPECT_LT(ms["missing.wav"], 5);
    EXPECT_EQ(m_process.readAllStandardError(), QByteArray()) << "library noise must be silenced";
}

TEST_F(NoDevice, SoundOutputNoneIsSilentWithTheSamePace) {
    QProcessEnvironment env = m_process.processEnvironment();
    env.insert("TALLIX_SOUND_OUTPUT", "none");
    m_process.setProcessEnvironment(env);
    run({wav("one.wav", 0.25)});
    const int ms = timings().value("one.wav");
    EXPECT_GE(ms, 245);
    EXPECT_LT(ms, 350);
}

// The reader thread is never joined: leaving the process while it speaks must neither wait for
// the speech nor crash, whether or not the owner let go of the thread first.
TEST_F(NoDevice, LeavingTheProcessWhileSpeakingNeitherWaitsNorCrashes) {
    for (const char* name : {"1.wav", "r.wav"}) {
        wav(name, 0.5);
    }
    for (const QString& ownerOption : {QString(), QStringLiteral("--keep-owner")}) {
        QElapsedTimer timer;
        timer.start();
        run(QStringList{"--speak", folder(), "1111111111\r", "--exit-after", "700", ownerOption});
        EXPECT_LT(timer.elapsed(), 2500) << "5.5 s of speech must not hold up the exit";
    }
}

} // namespace
} // namespace tallix::voice::test
