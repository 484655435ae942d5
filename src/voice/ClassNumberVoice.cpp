#include "voice/ClassNumberVoice.h"

#include "platform/NativeFiles.h"
#include "platform/SoundPlayer.h"

#include <QObject>
#include <QThread>

#include <thread>

namespace tallix::voice {

// Receives the reader thread's request on the owner's thread. It holds the thread object only
// weakly: a request still queued when the owner lets go must find nothing to call.
class NeedTextBridge : public QObject {
    Q_OBJECT
public:
    explicit NeedTextBridge(std::weak_ptr<TNumberVoice> voice) : m_voice(std::move(voice)) {}

public slots:
    void deliver() {
        if (const auto voice = m_voice.lock()) {
            voice->DoNeedText();
        }
    }

private:
    std::weak_ptr<TNumberVoice> m_voice;
};

namespace {

// The stop request is read between characters without any lock; a one-byte lock-free flag is
// what makes that safe.
static_assert(sizeof(std::atomic<bool>) == 1 && std::atomic<bool>::is_always_lock_free);

const char* fileNameOf(char character) {
    switch (character) {
    case '\r':
        return "r.wav";
    case '.':
        return "d.wav";
    case '0':
        return "0.wav";
    case '1':
        return "1.wav";
    case '2':
        return "2.wav";
    case '3':
        return "3.wav";
    case '4':
        return "4.wav";
    case '5':
        return "5.wav";
    case '6':
        return "6.wav";
    case '7':
        return "7.wav";
    case '8':
        return "8.wav";
    case '9':
        return "9.wav";
    default:
        return "s.wav";
    }
}

} // namespace

std::shared_ptr<TNumberVoice> TNumberVoice::Create() {
    // The process's player is never destroyed, so it is shared without an owner.
    return Create(std::shared_ptr<platform::SoundPlayer>(&platform::systemSoundPlayer(),
                                                         [](platform::SoundPlayer*) {}));
}

std::shared_ptr<TNumberVoice> TNumberVoice::Create(std::shared_ptr<platform::SoundPlayer> player) {
    std::shared_ptr<TNumberVoice> voice(new TNumberVoice(std::move(player)));
    // The thread keeps the object alive for as long as it runs, so the owner may drop it at
    // any time without waiting for the thread.
    std::thread([voice] { voice->Execute(); }).detach();
    return voice;
}

TNumberVoice::TNumberVoice(std::shared_ptr<platform::SoundPlayer> player)
    : FPlayer(std::move(player)) {}

TNumberVoice::~TNumberVoice() {
    if (FBridge != nullptr) {
        FBridge->deleteLater();
    }
}

void TNumberVoice::SetOnNeedText(QObject* context, TNotifyEvent handler) {
    FOnNeedText = std::move(handler);
    std::lock_guard lock(FLock);
    if (FBridge != nullptr || context == nullptr || FState == State::Detached) {
        return;
    }
    FBridge = new NeedTextBridge(weak_from_this());
    FBridge->moveToThread(context->thread());
    QObject::connect(context, &QObject::destroyed, FBridge, [voice = weak_from_this()] {
        if (const auto alive = voice.lock()) {
            alive->DetachOwner();
        }
    });
}

bool TNumberVoice::Suspended() const {
    std::lock_guard lock(FLock);
    return FState == State::Suspended;
}

void TNumberVoice::Resume() {
    std::lock_guard lock(FLock);
    if (FState == State::Suspended) {
        FState = State::Running;
        FWake.notify_all();
    }
}

void TNumberVoice::DetachOwner() {
    std::lock_guard lock(FLock);
    FOnNeedText = nullptr;
    FStopRequest = true;
    FState = State::Detached;
    FWake.notify_all();
    if (FBridge != nullptr) {
        // Possibly called from the bridge's own slot (its context's destruction), so not deleted
        // here and now.
        FBridge->deleteLater();
        FBridge = nullptr;
    }
}

void TNumberVoice::Execute() {
    FPlayer->prepare();
    {
        std::unique_lock lock(FLock);
        FWake.wait(lock, [this] { return FState != State::Suspended; });
        if (FState == State::Detached) {
            return;
        }
    }
    do {
        while (!FText.isEmpty()) {
            const char character = FText.front();
            FText.remove(0, 1);
            PlayChar(character);
            if (FStopRequest) {
                break;
            }
        }
    } while (AskOwnerThenRest());
}

// Asks the owner for text and waits for its answer; then, with nothing to say, rests until
// resumed. False once the owner has let go.
bool TNumberVoice::AskOwnerThenRest() {
    std::unique_lock lock(FLock);
    if (FState == State::Detached) {
        return false;
    }
    if (FBridge != nullptr) {
        FState = State::Asking;
        QMetaObject::invokeMethod(FBridge, "deliver", Qt::QueuedConnection);
        FWake.wait(lock, [this] { return FState != State::Asking; });
    } else {
        FState = FText.isEmpty() ? State::Suspended : State::Running;
    }
    FWake.wait(lock, [this] { return FState != State::Suspended; });
    return FState != State::Detached;
}

void TNumberVoice::DoNeedText() {
    {
        std::lock_guard lock(FLock);
        if (FState != State::Asking) {
            return;
        }
    }
    struct HandOver {
        TNumberVoice* voice;
        ~HandOver() { voice->FinishHandOver(); }
    } handOver{this};
    // A copy, so that a handler that lets go of the thread does not destroy itself mid-call.
    const TNotifyEvent handler = FOnNeedText;
    if (handler) {
        handler(this);
    }
}

// Decided here on the owner's thread, as the handler returns, so that any Resume() the owner
// issues from now on finds the thread suspended.
void TNumberVoice::FinishHandOver() {
    std::lock_guard lock(FLock);
    if (FState == State::Asking) {
        // A buffer of the thread's own: taking characters off its front then never changes the
        // reference count of data that the owner's strings still share.
        FText.detach();
        FState = FText.isEmpty() ? State::Suspended : State::Running;
        FWake.notify_all();
    }
}

void TNumberVoice::PlayChar(char character) {
    const QString path = FVoicePath + QLatin1String(fileNameOf(character));
    if (platform::fileExists(path)) {
        FPlayer->playFile(path);
    }
}

} // namespace tallix::voice

#include "ClassNumberVoice.moc"
