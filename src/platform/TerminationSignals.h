#pragma once

#include <QObject>

#include <memory>

class QSocketNotifier;

namespace tallix::platform {

// Turns the signals by which a desktop session or a user ends a program (SIGTERM, SIGINT,
// SIGHUP) into a Qt signal delivered on the main thread, so that the program can leave through
// its normal close path and save its work. Only one instance may exist at a time.
class TerminationSignals : public QObject {
    Q_OBJECT
public:
    explicit TerminationSignals(QObject* parent = nullptr);
    ~TerminationSignals() override;

signals:
    void terminationRequested(int signalNumber);

private:
    void readPendingSignal();

    std::unique_ptr<QSocketNotifier> m_notifier;
};

} // namespace tallix::platform
