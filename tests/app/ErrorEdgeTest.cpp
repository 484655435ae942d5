// An error raised by a handler ends at that handler's own edge, in the standard error box,
// whichever way the handler was reached. The test runs on a plain QApplication, without the
// program's last net in notify: an error that got past its edge comes out of the call that
// raised the event, and is counted as escaped.
#include "MainWindowFixture.h"
#include "app/UnitFmTallixor.h"
#include "formfunc/ErrorBox.h"
#include "formfunc/kstrFormFunc.h"

#include <QAction>
#include <QApplication>
#include <QDropEvent>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <QWindow>

#include <functional>
#include <stdexcept>
#include <utility>

using namespace tallix;

namespace {

// Runs `act`, answering every error box it opens; what the boxes said, and what escaped.
QStringList errorsShownBy(const std::function<void()>& act) {
    QStringList shown;
    QTimer answer;
    answer.setInterval(10);
    QObject::connect(&answer, &QTimer::timeout, [&shown] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box)
            return;
        shown.append(box->icon() == QMessageBox::Critical ? box->text() : "not an error box");
        box->done(QMessageBox::Ok);
    });
    answer.start();
    try {
        act();
    } catch (const std::exception& error) {
        shown.append(QStringLiteral("escaped: ") + QString::fromUtf8(error.what()));
    }
    return shown;
}

void dropFile(TFmTallixor& window, const QString& fileName) {
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(fileName)});
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window.windowHandle(), &drop);
}

void chooseSelectAllInTextBoxMenu(TFmTallixor& window) {
    emit memoOf(window)->customContextMenuRequested(QPoint(10, 10));
    QTRY_VERIFY(qobject_cast<QMenu*>(QApplication::activePopupWidget()));
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    menu->setActiveAction(menu->actions().last());
    QTest::keyClick(menu, Qt::Key_Return);
}

} // namespace

class ErrorEdgeTest : public QObject {
    Q_OBJECT

    std::unique_ptr<MainWindowFixture> m_fixture;

private slots:
    void init() { m_fixture = std::make_unique<MainWindowFixture>(); }
    void cleanup() {
        // A failure planted on a path that never reached its handler must not fail the next
        // test's first command.
        try {
            throwPlantedHandlerFailure();
        } catch (const std::runtime_error&) {
        }
        m_fixture.reset();
    }

    // Each way to 'select all' fails once, then works: the window went on.
    void aFailingCommandIsShownOnceWhereverItCameFrom() {
        TFmTallixor& window = m_fixture->openActiveWindow();
        memoOf(window)->setPlainText(QStringLiteral("12\n3"));
        const std::pair<const char*, std::function<void()>> paths[] = {
            {"menu", [&] { actionOf(window, "MnSelectAll")->trigger(); }},
            {"text box menu", [&] { chooseSelectAllInTextBoxMenu(window); }},
            {"tool bar", [&] { buttonOf(window, "BtCopyAll")->click(); }},
            {"shortcut", [&] { QTest::keyClick(memoOf(window), Qt::Key_A, Qt::ControlModifier); }},
        };
        for (const auto& [path, selectAll] : paths) {
            memoOf(window)->moveCursor(QTextCursor::Start);
            window.activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(&window));
            plantHandlerFailure(QStringLiteral("planted on the %1").arg(path));
            QCOMPARE(errorsShownBy(selectAll),
                     QStringList(QStringLiteral("planted on the %1").arg(path)));
            QVERIFY2(!memoOf(window)->textCursor().hasSelection(), path);
            QCOMPARE(errorsShownBy(selectAll), QStringList());
            QCOMPARE(memoOf(window)->textCursor().selectedText(), QStringLiteral("12\u20293"));
        }
    }

    void aFileThatCannotBeReadIsShownOnceAndTheNextDropLoads() {
        TFmTallixor& window = m_fixture->openActiveWindow();
        memoOf(window)->setPlainText(QStringLiteral("1"));
        const QStringList shown = errorsShownBy([&] { dropFile(window, "/nonexistent/x.txt"); });
        QCOMPARE(shown.size(), 1);
        QVERIFY2(shown.front().contains(QStringLiteral("/nonexistent/x.txt")),
                 qPrintable(shown.front()));
        QCOMPARE(window.MemoText(), QStringLiteral("1"));
        m_fixture->writeDataFile(QStringLiteral("dropped.txt"), "2");
        QCOMPARE(errorsShownBy([&] { dropFile(window, m_fixture->dataPath() + "dropped.txt"); }),
                 QStringList());
        QCOMPARE(window.MemoText(), QStringLiteral("2"));
    }

    void aFailingSaveAtSessionEndIsShownOnceAndTheNextOneSaves() {
        TFmTallixor& window = m_fixture->openActiveWindow();
        memoOf(window)->setPlainText(QStringLiteral("4"));
        auto* component = window.findChild<TkstrFormFunc*>(QStringLiteral("kstrFormFunc1"));
        const TNotifyEvent formDestroy = std::exchange(
            component->OnFormDestroy, [](QObject*) { throw std::runtime_error("planted"); });
        QCOMPARE(errorsShownBy([&] { component->EndSession(true); }), QStringList("planted"));
        component->OnFormDestroy = formDestroy;
        QCOMPARE(errorsShownBy([&] { component->EndSession(true); }), QStringList());
        QCOMPARE(m_fixture->readDataFile(QStringLiteral("nums.txt")), QByteArray("4"));
    }
};

QTEST_MAIN(ErrorEdgeTest)
#include "ErrorEdgeTest.moc"
