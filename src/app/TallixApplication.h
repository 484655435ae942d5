#pragma once

#include <QApplication>

namespace tallix {

// The GUI application: an error raised in any event handler is shown in the standard error box
// and the program goes on, instead of ending the process.
class TallixApplication : public QApplication {
    Q_OBJECT
public:
    TallixApplication(int& argc, char** argv);

    bool notify(QObject* receiver, QEvent* event) override;
};

// Qt's own texts in Japanese, where Qt's translations are installed; true when loaded.
bool loadQtTranslations(QCoreApplication& application);

} // namespace tallix
