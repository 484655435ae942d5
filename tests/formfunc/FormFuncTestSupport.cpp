#include "FormFuncTestSupport.h"

#include "env/kstrGlobal.h"

#include <QDir>
#include <QFile>

using namespace tallix;

void TTestForm::FormDestroy(QObject* sender) {
    m_destroySenders.append(sender);
    if (m_onFormDestroy)
        m_onFormDestroy();
}

bool TTestForm::event(QEvent* event) {
    if (m_vetoSessionEnd && event->type() == TQueryEndSessionEvent::EventType()) {
        event->ignore();
        return true;
    }
    return QWidget::event(event);
}

void TTestForm::mousePressEvent(QMouseEvent* event) {
    ++m_ownMousePresses;
    QWidget::mousePressEvent(event);
}

bool RecordingFormFunc::StartSystemMove() {
    ++m_systemMoves;
    return true;
}

bool RecordingFormFunc::StartSystemResize(Qt::Edges edges) {
    m_systemResizes.append(edges);
    return true;
}

void RecordingFormFunc::ApplyWindowPosition(TwindowPosition value) {
    m_zOrderCalls.append(value);
}
