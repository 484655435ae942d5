#include "FormFuncTestSupport.h"

#include "env/kstrGlobal.h"

#include <QDir>
#include <QFile>

void TTestForm::FormDestroy(QObject* Sender) {
    DestroySenders.append(Sender);
    if (OnFormDestroy)
        OnFormDestroy();
}

bool TTestForm::event(QEvent* event) {
    if (VetoSessionEnd && event->type() == TQueryEndSessionEvent::EventType()) {
        event->ignore();
        return true;
    }
    return QWidget::event(event);
}

void TTestForm::mousePressEvent(QMouseEvent* event) {
    ++OwnMousePresses;
    QWidget::mousePressEvent(event);
}

bool TRecordingFormFunc::StartSystemMove() {
    ++SystemMoves;
    return true;
}

bool TRecordingFormFunc::StartSystemResize(Qt::Edges edges) {
    SystemResizes.append(edges);
    return true;
}

void TRecordingFormFunc::ApplyWindowPosition(TwindowPosition value) {
    ZOrderCalls.append(value);
}
