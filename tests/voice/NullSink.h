#pragma once

#include <QProcess>
#include <QString>
#include <QTemporaryDir>

#include <vector>

namespace tallix::voice::test {

// A private PulseAudio server with one null sink, and a recording of what reaches it. Starting
// it points this process (and the children it starts afterwards) at that server, so it must be
// started before the process first uses the audio library. With TALLIX_TEST_SOUND_SERVER set to
// "pipewire" the server is PipeWire's (pipewire, wireplumber and pipewire-pulse on a session bus
// of their own) instead.
class NullSink {
public:
    static constexpr int kRate = 22050;
    // The shortest cycle of the PipeWire test server's graph, which the player's short latency
    // makes its cycle: what a desktop's graph at 48 kHz allows a pulse client (256 frames, 5.3
    // ms), at this rate.
    static constexpr std::size_t kGraphCycle = 128;

    NullSink() = default;
    NullSink(const NullSink&) = delete;
    NullSink& operator=(const NullSink&) = delete;
    ~NullSink();

    // False, with the reason in `why`, when no server can be started here.
    bool start(QString& why);
    // Kills the server (and the recording) at once, as a device that goes away; start() again
    // brings both back with a new recording.
    void stop();
    // Stops the server (SIGSTOP) as a stalled one, and lets it go on (SIGCONT).
    void pause();
    void resume();
    // Holds the sink suspended, as another program or a profile switch can, or lets it run.
    bool suspend(bool held);
    // What the server says of the streams playing into it (`pactl list sink-inputs`).
    QString sinkInputs() const;
    // The stretch of a stream, in samples, that the server may lose on its own, once or twice in
    // a row, playing digital silence where the stream's sound should be: PipeWire's graph, on a
    // shared machine, now and then misses a cycle and does that in every stream. None on
    // PulseAudio, which mixes in the sink's own thread from what it holds.
    std::size_t serverLossCycle() const { return m_pipeWire ? kGraphCycle : 0; }
    // Whether the sink, stopped with its server, takes the time it missed in one burst once the
    // server goes on, as PulseAudio's null sink does. PipeWire's graph runs on without the
    // stopped pulse server and loses a cycle of the stream instead.
    bool catchesUpAfterAStall() const { return !m_pipeWire; }
    // Everything recorded so far, mono 16-bit samples at kRate.
    std::vector<short> capture() const;
    // A second null sink, recorded as the first is, that is not the default one; false, with
    // the reason in `why`, when the server refuses it.
    bool addOtherSink(QString& why);
    // Moves every stream to the second sink, as a mixer does, and waits until the server lists
    // them there; false when it does not within a second, with what the server lists in `why`.
    bool moveStreamsToOtherSink(QString& why);
    // Takes the second sink away again, so that no server remembers it as the program's choice.
    void removeOtherSink();
    // Everything the second sink has recorded so far.
    std::vector<short> otherCapture() const;

private:
    static QString sinkIndex(const QString& name);
    bool waitForServer();
    bool startPulseAudio(const QProcessEnvironment& env, QString& why);
    bool startPipeWire(QProcessEnvironment& env, QString& why);
    bool startRecorder(qint64& recorder, const QString& sink, const QString& file);
    static std::vector<short> readCapture(const QString& path);

    QTemporaryDir m_runtime;
    bool m_pipeWire = qgetenv("TALLIX_TEST_SOUND_SERVER") == "pipewire";
    // Process ids of the helpers, 0 for none.
    qint64 m_bus = 0;
    qint64 m_graph = 0;
    qint64 m_session = 0;
    qint64 m_server = 0; // what answers the clients: pulseaudio, or pipewire-pulse
    qint64 m_recorder = 0;
    QString m_captureFile;
    qint64 m_otherRecorder = 0;
    QString m_otherCaptureFile;
    QString m_otherModule;
};

// A stretch of the recording in which one tone sounds.
struct ToneRun {
    int frequency; // the nearest of the frequencies asked for
    double startSeconds;
    double seconds;
    // Silence inside the run that the server left in place of sound, or put before the rest of
    // the tone, which then ends that much later.
    double serverLossSeconds = 0;
};

// Splits a recording into runs of the given tone frequencies (and leaves out silence). A run
// goes on over digital silence no longer than `serverLoss` samples: what the server lost on its
// own (see NullSink::serverLossCycle), where no tone is played twice in a row.
std::vector<ToneRun> toneRuns(const std::vector<short>& samples,
                              const std::vector<int>& frequencies, std::size_t serverLoss = 0);

} // namespace tallix::voice::test
