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

    // "1 @0.000s  d @0.359s ..." for failure messages.
    QString describe(int rate) const;
};

Hearing hear(const std::vector<short>& capture, const std::vector<const Recording*>& expected,
             int rate);

// Index of the first sample above the silence level, or the capture's size if there is none.
std::size_t firstSound(const std::vector<short>& capture);
// Index just past the last sample above the silence level, or 0.
std::size_t endOfSound(const std::vector<short>& capture);

} // namespace tallix::e2e
