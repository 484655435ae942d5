#pragma once

#include "graphics/Bitmap.h"

#include <QDialog>

class QLabel;
class QPushButton;

namespace tallix {

class TLinkLabel;
class TkstrFormFunc;

// The about window: the program's title, icon, executable name and version, the maker's logo,
// notice line and a link to the maker's information page. Borderless, white and rounded, it
// stays on top, opens centred on the screen, can be dragged by any point of its surface and
// closes with its only button.
class TFormVersionInfo : public QDialog {
    Q_OBJECT
public:
    explicit TFormVersionInfo(QWidget* owner = nullptr);

    QLabel* ImgAppTitle = nullptr;
    QLabel* Image1 = nullptr;
    QLabel* ImgIcon = nullptr;
    QLabel* LBexe = nullptr;
    QLabel* LBversion = nullptr;
    QLabel* Label1 = nullptr;
    TLinkLabel* LinkLabel1 = nullptr;
    QPushButton* BtClose = nullptr;
    TkstrFormFunc* kstrFormFunc1 = nullptr;

    void FormCreate();
    void BtCloseClick();
    void kstrFormFunc1CanDragMove(QObject* sender, int mouseX, int mouseY, bool& dragMove);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void CreateControls();
    void CreateFormFunc();
    void FormPaint();
    void LoadAppTitle();
    void AnchorCloseButton();
};

// The open about window, while showAboutWindow shows it; otherwise nullptr.
extern TFormVersionInfo* FormVersionInfo;

// Builds a fresh about window owned by Owner, shows it modally and releases it when it closes.
void showAboutWindow(QWidget* owner);

// The title drawn when the program carries no title picture: the product name in a heavy face,
// drawn at twice the size and halved for smooth edges. 160 x 32 pixels, 32 bits per pixel.
tallix::graphics::TBitmap drawAppTitle(const QString& productName);

// The maker's information page for a program of that internal name.
QString informationPageUrl(const QString& internalName);

} // namespace tallix
