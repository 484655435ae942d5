#include "about/LinkLabel.h"

#include "about/ShellFunctions.h"

#include <QFileInfo>
#include <QMouseEvent>

namespace tallix {

namespace {

const QChar kDelimiter = QLatin1Char('/');

bool isFileOrFolder(const QString& path) {
    const QFileInfo info(path);
    return !path.isEmpty() && (info.isFile() || info.isDir());
}

} // namespace

QString extractFileName(const QString& path) {
    return path.mid(path.lastIndexOf(kDelimiter) + 1);
}

QString extractFileDir(const QString& path) {
    const qsizetype last = path.lastIndexOf(kDelimiter);
    if (last < 0)
        return QString();
    return last == 0 ? QString(kDelimiter) : path.left(last);
}

TLinkLabel::TLinkLabel(QWidget* owner) : QLabel(owner) {
    setTextFormat(Qt::PlainText);
    setCursor(Qt::PointingHandCursor);
}

void TLinkLabel::SetLinkURL(const QString& value) {
    FLinkURL = value;
    if (value.isEmpty())
        return;
    const QFileInfo target(value);
    if (target.isFile())
        setText(extractFileName(value));
    if (target.isDir())
        setText(extractFileDir(value));
}

void TLinkLabel::Click() {
    emit clicked();
    const QString target = FLinkURL.isEmpty() ? text() : FLinkURL;
    if (isFileOrFolder(target))
        shellOpen(target);
    else
        openLink(target);
}

void TLinkLabel::mousePressEvent(QMouseEvent* event) {
    FPressed = event->button() == Qt::LeftButton;
    FPressPosition = event->globalPosition().toPoint();
    QLabel::mousePressEvent(event);
}

void TLinkLabel::mouseMoveEvent(QMouseEvent* event) {
    // Screen positions, since a window dragged along keeps the label under the pointer. Any
    // move at all makes the press a drag of the window, which is then no click.
    if (event->globalPosition().toPoint() != FPressPosition)
        FPressed = false;
    QLabel::mouseMoveEvent(event);
}

void TLinkLabel::mouseReleaseEvent(QMouseEvent* event) {
    const bool click = FPressed && event->button() == Qt::LeftButton &&
                       rect().contains(event->position().toPoint());
    FPressed = false;
    QLabel::mouseReleaseEvent(event);
    if (click)
        Click();
}

void TLinkLabel::enterEvent(QEnterEvent* event) {
    SetUnderlineAlone(true);
    QLabel::enterEvent(event);
}

void TLinkLabel::leaveEvent(QEvent* event) {
    SetUnderlineAlone(false);
    QLabel::leaveEvent(event);
}

// The style is replaced, not amended: bold or italic from before are gone after one hover.
void TLinkLabel::SetUnderlineAlone(bool underline) {
    QFont style = font();
    style.setBold(false);
    style.setItalic(false);
    style.setStrikeOut(false);
    style.setUnderline(underline);
    setFont(style);
}

} // namespace tallix
