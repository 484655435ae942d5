#include "ListeningTest.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QThread>

#include <iostream>

namespace tallix::e2e {
namespace {

constexpr int kSkipped = 77;
// Speech is over once the sink has been silent this long.
constexpr double kQuietSeconds = 1.5;
constexpr int kSpeechTimeoutMs = 30000;
// The player writes a recording back over at most this much of the silence it left after the
// one before; a head lost there may be the player's fault.
constexpr double kWrittenBackSeconds = 0.02;

QString g_program;
voice::test::NullSink* g_sink = nullptr;
XServer* g_xserver = nullptr;

} // namespace

int ListeningTest::runAll(const QString& program) {
    g_program = program;
    voice::test::NullSink sink;
    QString why;
    if (!sink.start(why)) {
        std::cout << "skipped: no sound server here: " << why.toStdString() << "\n";
        return kSkipped;
    }
    XServer xserver;
    if (!xserver.start(why)) {
        std::cerr << why.toStdString() << "\n";
        return 1;
    }
    g_sink = &sink;
    g_xserver = &xserver;
    return RUN_ALL_TESTS();
}

void ListeningTest::SetUp() {
    m_from = g_sink->capture().size();
    m_session = std::make_unique<TallixSession>(g_program, g_xserver->display());
}

const Recording& ListeningTest::recording(const QString& set, const QString& name) {
    const QString path = QFileInfo(g_program).absolutePath() + '/' + set + '/' + name + ".wav";
    auto found = m_recordings.find(path);
    if (found == m_recordings.end())
        found = m_recordings.emplace(path, loadRecording(path)).first;
    return found->second;
}

std::vector<const Recording*> ListeningTest::spoken(const QString& set, const QString& characters) {
    std::vector<const Recording*> result;
    for (const QChar c : characters) {
        const QString name = c == '.' ? "d" : c == '\r' ? "r" : QString(c);
        result.push_back(&recording(set, name));
    }
    return result;
}

std::vector<short> ListeningTest::captured() const {
    std::vector<short> all = g_sink->capture();
    all.erase(all.begin(), all.begin() + static_cast<std::ptrdiff_t>(m_from));
    return all;
}

std::vector<short> ListeningTest::speechWhenOver() const {
    QElapsedTimer timer;
    timer.start();
    std::vector<short> capture = captured();
    while (timer.elapsed() < kSpeechTimeoutMs) {
        capture = captured();
        const std::size_t end = endOfSound(capture);
        if (end > 0 && capture.size() - end > static_cast<std::size_t>(kQuietSeconds * kRate))
            break;
        QThread::msleep(100);
    }
    return capture;
}

ServerLoss ListeningTest::serverLoss() {
    return {g_sink->serverLossCycle(), static_cast<std::size_t>(kWrittenBackSeconds * kRate)};
}

std::string ListeningTest::keptAs(const std::vector<short>& capture) {
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    const QString path = QDir::current().absoluteFilePath(
        QStringLiteral("%1-capture.wav").arg(QString::fromLatin1(test->name())));
    return saveRecording(path, capture, kRate) ? "capture kept in " + path.toStdString()
                                               : "capture not kept";
}

void ListeningTest::expectHeardInOrderAndWhole(const std::vector<short>& capture,
                                               const std::vector<const Recording*>& expected) {
    const Hearing hearing = hear(capture, expected, kRate, serverLoss());
    const std::string heard = hearing.describe(kRate).toStdString();
    std::cout << "heard: " << heard << "\n";
    if (!hearing.fault.isEmpty() || hearing.heard.size() != expected.size()) {
        ADD_FAILURE() << (hearing.fault.isEmpty() ? "recordings missing"
                                                  : hearing.fault.toStdString())
                      << "\nheard: " << heard << "\n"
                      << keptAs(capture);
    }
}

} // namespace tallix::e2e
