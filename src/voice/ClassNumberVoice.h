#pragma once

#include <QByteArray>
#include <QString>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>

class QObject;

namespace tallix::platform {
class SoundPlayer;
}

namespace tallix::voice {

class TNumberVoice;
class NeedTextBridge;

// The owner's handler for more text; `sender` is the reader thread object.
using TNotifyEvent = std::function<void(TNumberVoice* sender)>;

// The reader thread: speaks pending characters one by one, each as one WAV recording played to
// its end, and asks its owner for more on the owner's thread whenever it runs out or is asked to
// stop. It is never joined; it ends with the process, or once its owner has let go of it.
class TNumberVoice final : public std::enable_shared_from_this<TNumberVoice> {
public:
    // Starts the thread in the suspended state, speaking through the process's sound player.
    static std::shared_ptr<TNumberVoice> Create();
    // The same with a player of the caller's choice.
    static std::shared_ptr<TNumberVoice> Create(std::shared_ptr<platform::SoundPlayer> player);

    TNumberVoice(const TNumberVoice&) = delete;
    TNumberVoice& operator=(const TNumberVoice&) = delete;
    ~TNumberVoice();

    // Sets the owner's handler. It runs on the thread of `context`, while the reader thread waits
    // for it; only there may the owner change FText and FVoicePath. Set it before the first
    // Resume(). Should `context` be destroyed, the thread lets go of its owner (DetachOwner).
    void SetOnNeedText(QObject* context, TNotifyEvent handler);

    // True while the thread is waiting for Resume(): from its creation, and from the moment a
    // hand-over leaves FText empty. Since that state is entered on the owner's thread as the
    // handler returns, an owner that buffers a character and then sees the thread running can
    // rely on being asked again; there is no gap in which a wake-up could be lost.
    bool Suspended() const;
    // Wakes the thread if it is suspended; no effect otherwise.
    void Resume();

    // Called by the owner (on the handler's thread) when its destruction begins: no handler call
    // reaches the owner afterwards. Never waits: a character being played is finished by the
    // thread on its own, which then ends.
    void DetachOwner();

    QByteArray FText;                      // pending characters, spoken from the front
    QString FVoicePath;                    // folder of the WAV files, ending with '/'
    std::atomic<bool> FStopRequest{false}; // stop after the character in progress

private:
    friend class NeedTextBridge;
    enum class State { Suspended, Running, Asking, Detached };

    explicit TNumberVoice(std::shared_ptr<platform::SoundPlayer> player);
    void Execute();
    bool AskOwnerThenRest();
    void DoNeedText();
    void FinishHandOver();
    void PlayChar(char character);

    std::shared_ptr<platform::SoundPlayer> FPlayer;
    TNotifyEvent FOnNeedText; // touched only on the handler's thread
    mutable std::mutex FLock;
    std::condition_variable FWake;
    State FState = State::Suspended;
    NeedTextBridge* FBridge = nullptr; // lives on the handler's thread
};

} // namespace tallix::voice
