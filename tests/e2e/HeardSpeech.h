#pragma once

#include <QString>

#include <vector>

namespace tallix::e2e {

// One voice file as the program plays it: mono samples at the capture's rate.
struct Recording {
    QString name;
    std::vector<short> samples;
};

// Reads a mono 16-bit WAV file; throws std::runtime_error if it cannot.
Recording loadRecording(const QString& path);

// Writes samples as a mono 16-bit WAV file, for a look at a capture that failed; false if it
// cannot.
bool saveRecording(const QString& path, const std::vector<short>& samples, int rate);

// What the sound server may lose of a recording on its own. PipeWire's graph, when it misses a
// cycle on a shared machine, plays digital silence for that cycle in place of every stream's
// sound, wherever in a recording that falls; the player, which writes each recording whole,
// cannot lose a stretch inside one. Near a recording's head, where the player writes it back
// over the silence after the one before, a loss may be the player's and is never excused.
struct ServerLoss {
    std::size_t cycle = 0;     // samples of the graph's cycle; 0 for a server that loses none
    std::size_t headGuard = 0; // samples at a recording's head where no loss is excused

    // Whether that much digital silence in a row may be the server's: a cycle or two.
    bool fits(std::size_t silence) const {
        return cycle > 0 && silence >= cycle && silence <= 2 * cycle;
    }
};

// A recording found in the capture.
struct Heard {
    QString name;
    std::size_t start; // first sample in the capture
    std::size_t length;
    double correlation; // normalised, over the whole recording
    double gain;        // level in the capture relative to the file
};

// What the capture holds, read against the recordings expected in order: the longest prefix of
// them that was heard one after another, each whole, and what spoils it (empty if nothing).
struct Hearing {
    std::vector<Heard> heard;
    QString fault;
    std::vector<std::size_t> serverLosses; // where the server's losses began in the capture

    // "1 @0.000s  d @0.359s ..." for failure messages, and the server's losses.
    QString describe(int rate) const;
};

Hearing hear(const std::vector<short>& capture, const std::vector<const Recording*>& expected,
             int rate, ServerLoss loss = {});

// Index of the first sample above the silence level, or the capture's size if there is none.
std::size_t firstSound(const std::vector<short>& capture);
// Index just past the last sample above the silence level, or 0.
std::size_t endOfSound(const std::vector<short>& capture);

} // namespace tallix::e2e
