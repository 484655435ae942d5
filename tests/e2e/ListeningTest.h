#pragma once

#include "HeardSpeech.h"
#include "NullSink.h"
#include "TallixSession.h"

#include <QString>

#include <map>
#include <memory>
#include <vector>

#include <gtest/gtest.h>

namespace tallix::e2e {

// A test that hears the real program: the null sink of one private sound server (PulseAudio, or
// PipeWire with TALLIX_TEST_SOUND_SERVER=pipewire) and one X server serve the whole run; each test
// gets the program in a session of its own and the sound since the test began.
class ListeningTest : public ::testing::Test {
public:
    static constexpr int kRate = voice::test::NullSink::kRate;

    // Starts the sink and the X server, then the tests against `program`. Ends with 77, which
    // the test runner counts as skipped, where no sound server can start.
    static int runAll(const QString& program);

protected:
    void SetUp() override;

    // The recording of `name` ("1", "d", "r") in a voice set beside the program.
    const Recording& recording(const QString& set, const QString& name);
    // The recordings that speak `characters` in order ('.' as "d", CR as "r").
    std::vector<const Recording*> spoken(const QString& set, const QString& characters);

    // What the sink received since the test began.
    std::vector<short> captured() const;
    // Waits until something was heard and the sink has then been quiet for a while.
    std::vector<short> speechWhenOver() const;
    // What the test server may lose of a recording on its own.
    static ServerLoss serverLoss();
    // The capture of a failed test is kept in the working folder for a listen.
    static std::string keptAs(const std::vector<short>& capture);
    static void expectHeardInOrderAndWhole(const std::vector<short>& capture,
                                           const std::vector<const Recording*>& expected);

    std::size_t m_from = 0;
    std::unique_ptr<TallixSession> m_session;

private:
    std::map<QString, Recording> m_recordings;
};

} // namespace tallix::e2e
