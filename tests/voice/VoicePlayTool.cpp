// Test helper: plays files through the process's sound player, or speaks a text with the reader
// thread and leaves the process while it speaks. Prints one line per file: its name and the
// milliseconds playFile took. Or prints the PulseAudio client settings the process runs with.
//   voice_play_tool FILE...
//   voice_play_tool --speak FOLDER TEXT --exit-after MS [--keep-owner]
//   voice_play_tool --pulse-client-settings
#include "platform/SoundPlayer.h"
#include "voice/ClassNumberVoice.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTimer>

#include <cstdio>

namespace {

int playFiles(const QStringList& files) {
    for (const QString& file : files) {
        QElapsedTimer timer;
        timer.start();
        tallix::platform::systemSoundPlayer().playFile(file);
        std::printf("%s %lld\n", qPrintable(QFileInfo(file).fileName()),
                    static_cast<long long>(timer.elapsed()));
        std::fflush(stdout);
    }
    return 0;
}

int speak(QCoreApplication& app, const QString& folder, const QByteArray& text, int exitAfter,
          bool keepOwner) {
    auto voice = tallix::voice::TNumberVoice::Create();
    QObject owner;
    bool handedOver = false;
    voice->FVoicePath = folder;
    voice->SetOnNeedText(&owner, [&](tallix::voice::TNumberVoice* sender) {
        if (!handedOver) {
            sender->FText = text;
            handedOver = true;
        }
    });
    voice->Resume();
    QTimer::singleShot(exitAfter, &app, &QCoreApplication::quit);
    const int code = app.exec();
    if (!keepOwner) {
        voice->DetachOwner();
    }
    return code;
}

} // namespace

int main(int argc, char** argv) {
    tallix::platform::prepareSoundEnvironment();
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    if (args.value(0) == "--pulse-client-settings") {
        QFile settings(qEnvironmentVariable("PULSE_CLIENTCONFIG"));
        if (!settings.open(QIODevice::ReadOnly)) {
            return 1;
        }
        std::fwrite(settings.readAll().constData(), 1, static_cast<std::size_t>(settings.size()),
                    stdout);
        return 0;
    }
    if (args.value(0) == "--speak" && args.size() >= 5 && args.at(3) == "--exit-after") {
        return speak(app, args.at(1), args.at(2).toLatin1(), args.at(4).toInt(),
                     args.value(5) == "--keep-owner");
    }
    return playFiles(args);
}
