#pragma once

#include "PrivateContext.h"

#include <QString>

#include <memory>

namespace tallix::platform {
class SoundPlayer;
}
class QAction;
class QLabel;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QWidget;

namespace tallix {
class TFmTallixor;
}

// The window's controls and commands, found by their object names as any outside tool finds
// them; a missing one ends the test run with its name.
QPlainTextEdit* memoOf(const QWidget& window);
QAction* actionOf(const QWidget& window, const char* name);
QPushButton* buttonOf(const QWidget& window, const char* name);
QMenu* menuOf(const QWidget& window, const char* name);
QLabel* statusPanelOf(const QWidget& window, int index);

// A private world for one main-window test: its own executable folder (and so its own data
// folder beside it), XDG folders and application context, released in reverse.
class MainWindowFixture {
public:
    MainWindowFixture();
    ~MainWindowFixture();

    QString dataPath() const; // ends with '/'
    QString exeDir() const;
    void writeDataFile(const QString& name, const QByteArray& bytes) const;
    QByteArray readDataFile(const QString& name) const;

    // Puts the voice sets "speed" and "hispeed" beside the executable (the player never reads
    // the files, they only have to exist).
    void makeVoiceSets() const;

    // Creates the window as the program does; destroying it runs its shutdown. Without a player
    // of the test's own, the window speaks into silence.
    tallix::TFmTallixor& openWindow(std::shared_ptr<tallix::platform::SoundPlayer> player = {});
    // The window shown and active, with the keyboard in its text box, as a user types into it.
    tallix::TFmTallixor&
    openActiveWindow(std::shared_ptr<tallix::platform::SoundPlayer> player = {});
    void closeWindow();
    tallix::TFmTallixor& window() const { return *m_window; }

    // Answers the next modal message box with OK; its text is then messageBoxText().
    void expectMessageBox();
    const QString& messageBoxText() const { return m_messageBoxText; }

private:
    PrivateContext m_context;
    std::unique_ptr<tallix::TFmTallixor> m_window;
    QString m_messageBoxText;
};
