#pragma once

#include "PrivateContext.h"
#include "formfunc/kstrFormFunc.h"

#include <QByteArray>
#include <QList>
#include <QStringList>
#include <QTemporaryDir>
#include <QWidget>

#include <functional>
#include <memory>

// A form as the component sees one, recording its destroy handler's runs; a component hooks the
// handler to its OnFormDestroy. Named as the design names its forms: the component keeps a
// form's placement under the form's class name.
class TTestForm : public QWidget {
    Q_OBJECT
public:
    explicit TTestForm(Qt::WindowFlags flags = {}) : QWidget(nullptr, flags) {}
    void FormDestroy(QObject* sender);

    QList<QObject*> m_destroySenders;
    std::function<void()> m_onFormDestroy;
    // Ignores the question whether the session may end.
    bool m_vetoSessionEnd = false;
    int m_ownMousePresses = 0;

protected:
    bool event(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
};

// The component with the window system's side recorded instead of carried out.
class RecordingFormFunc : public tallix::TkstrFormFunc {
    Q_OBJECT
public:
    explicit RecordingFormFunc(QWidget* owner) : tallix::TkstrFormFunc(owner) {}

    int m_systemMoves = 0;
    QList<Qt::Edges> m_systemResizes;
    QList<TwindowPosition> m_zOrderCalls;

protected:
    bool StartSystemMove() override;
    bool StartSystemResize(Qt::Edges edges) override;
    void ApplyWindowPosition(TwindowPosition value) override;
};
