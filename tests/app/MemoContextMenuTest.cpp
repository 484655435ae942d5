#include "app/MemoContextMenu.h"

#include "MainWindowFixture.h"
#include "app/TallixApplication.h"
#include "app/UnitFmTallixor.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTest>

using namespace tallix;

namespace {

// The menu the text box shows now, as the user sees its entries; separators are empty.
QStringList entries(TFmTallixor& window) {
    std::unique_ptr<QMenu> menu(createMemoContextMenu(&window, &window));
    QStringList entries;
    for (const QAction* action : menu->actions())
        entries.append(action->isEnabled() || action->isSeparator()
                           ? action->text()
                           : QStringLiteral("-") + action->text());
    return entries;
}

void choose(TFmTallixor& window, const QString& caption) {
    std::unique_ptr<QMenu> menu(createMemoContextMenu(&window, &window));
    for (QAction* action : menu->actions()) {
        if (action->text().startsWith(caption + QLatin1Char('\t'))) {
            QVERIFY(action->isEnabled());
            action->trigger();
            return;
        }
    }
    QFAIL(qPrintable(QStringLiteral("no entry ") + caption));
}

} // namespace

class MemoContextMenuTest : public QObject {
    Q_OBJECT

    std::unique_ptr<MainWindowFixture> m_fixture;

private slots:
    void init() { m_fixture = std::make_unique<MainWindowFixture>(); }
    void cleanup() { m_fixture.reset(); }

    void offersTheEditMenusCommandsInJapanese() {
        TFmTallixor& window = m_fixture->openWindow();
        QApplication::clipboard()->clear();
        QCOMPARE(entries(window),
                 QStringList({"戻す\tCtrl+Z", "-やり直す\tCtrl+R", "", "-切り取り\tCtrl+X",
                              "-コピー\tCtrl+C", "-貼り付け\tCtrl+V", "", "-すべて選択\tCtrl+A"}));
        QTest::keyClicks(memoOf(window), QStringLiteral("12"));
        memoOf(window)->selectAll();
        QApplication::clipboard()->setText(QStringLiteral("3"));
        QCOMPARE(entries(window),
                 QStringList({"戻す\tCtrl+Z", "-やり直す\tCtrl+R", "", "切り取り\tCtrl+X",
                              "コピー\tCtrl+C", "貼り付け\tCtrl+V", "", "すべて選択\tCtrl+A"}));
    }

    void itsEditsGoThroughTheProgramsUndoHistory() {
        TFmTallixor& window = m_fixture->openWindow();
        QTest::keyClicks(memoOf(window), QStringLiteral("12"));
        choose(window, QStringLiteral("すべて選択"));
        choose(window, QStringLiteral("切り取り"));
        QCOMPARE(window.MemoText(), QString());
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("12"));
        choose(window, QStringLiteral("貼り付け"));
        choose(window, QStringLiteral("貼り付け"));
        QCOMPARE(window.MemoText(), QStringLiteral("1212"));
        choose(window, QStringLiteral("戻す"));
        QCOMPARE(window.MemoText(), QStringLiteral("12"));
        choose(window, QStringLiteral("戻す"));
        QCOMPARE(window.MemoText(), QString());
        choose(window, QStringLiteral("戻す"));
        QCOMPARE(window.MemoText(), QStringLiteral("12"));
        choose(window, QStringLiteral("やり直す"));
        QCOMPARE(window.MemoText(), QString());
    }

    void opensWhereTheTextBoxAsksForIt() {
        TFmTallixor& window = m_fixture->openWindow();
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        emit memoOf(window)->customContextMenuRequested(QPoint(10, 10));
        QTRY_VERIFY(qobject_cast<QMenu*>(QApplication::activePopupWidget()));
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        QCOMPARE(menu->actions().first()->text(), QStringLiteral("戻す\tCtrl+Z"));
        menu->close();
    }

    void qtsOwnTextsAreJapanese() {
        QVERIFY(tallix::loadQtTranslations(*QCoreApplication::instance()));
        QCOMPARE(QCoreApplication::translate("QScrollBar", "Scroll here"),
                 QStringLiteral("ここにスクロール"));
    }
};

QTEST_MAIN(MemoContextMenuTest)
#include "MemoContextMenuTest.moc"
