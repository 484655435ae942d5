#pragma once

#include <QLabel>

namespace tallix {

// A label that works as a link: hand pointer, underlined while the pointer is over it, and a
// click opens its target (LinkURL, or the caption when LinkURL is empty). Existing files and
// folders open with the desktop's default handler, other targets as web or mail links.
class TLinkLabel : public QLabel {
    Q_OBJECT
    Q_PROPERTY(QString LinkURL READ LinkURL WRITE SetLinkURL)
public:
    explicit TLinkLabel(QWidget* owner = nullptr);

    QString LinkURL() const { return FLinkURL; }
    // An existing file's path puts its bare name into the caption, an existing folder's path
    // the folder that holds it; any other target leaves the caption alone.
    void SetLinkURL(const QString& value);

    void Click();

signals:
    // Raised by a click before the target is opened.
    void clicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    // A press that goes on to move the pointer, however little, drags the window the label
    // sits on and is no click; the move itself is left to the window.
    void mouseMoveEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    void SetUnderlineAlone(bool underline);

    QString FLinkURL;
    bool FPressed = false;
    QPoint FPressPosition;
};

// The file-name part of a path: the text after its last '/'.
QString extractFileName(const QString& path);
// The folder part of a path: the text before its last '/', which stays only as the root.
QString extractFileDir(const QString& path);

} // namespace tallix
