#include "MainWindowFixture.h"
#include "app/UnitFmTallixor.h"
#include "formfunc/kstrFormFunc.h"

#include <QDropEvent>
#include <QFile>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QTest>
#include <QUrl>
#include <QWindow>

using namespace tallix;

namespace {

QString writeFile(const QString& fileName, const QByteArray& bytes) {
    QFile file(fileName);
    if (file.open(QIODevice::WriteOnly))
        file.write(bytes);
    return fileName;
}

void dropUrls(QWidget* window, const QList<QUrl>& urls) {
    QMimeData data;
    data.setUrls(urls);
    const QPointF over(window->width() / 2.0, window->height() / 2.0);
    QDragEnterEvent enter(over.toPoint(), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(window->windowHandle(), &enter);
    QDropEvent drop(over, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(window->windowHandle(), &drop);
}

} // namespace

class MainWindowFormFuncTest : public QObject {
    Q_OBJECT
private slots:
    void carriesTheComponentWithItsFormSettings() {
        MainWindowFixture fixture;
        TFmTallixor& window = fixture.openWindow();
        TkstrFormFunc* component = window.findChild<TkstrFormFunc*>("kstrFormFunc1");
        QVERIFY(component);
        QVERIFY(component->Preserve());
        QVERIFY(component->EraseBackGround());
        QVERIFY(component->KeepSize());
        QVERIFY(component->KeepLocation());
        QVERIFY(component->DragDrop());
        QVERIFY(!component->DropNamesEnabled());
        QVERIFY(!component->WindowDrag());
        QVERIFY(!component->WindowResize());
        QVERIFY(!component->WindowRound());
        QCOMPARE(component->WindowPosition(), TkstrFormFunc::wpNormal);
        QCOMPARE(component->FitScreenPx(), 0);
        QVERIFY(!component->BGrelocation());
        QVERIFY(static_cast<bool>(component->OnDropFile));
    }

    void droppedFilesReplaceTheTextAndTheLastOneRemains() {
        MainWindowFixture fixture;
        TFmTallixor& window = fixture.openWindow();
        window.show();
        memoOf(window)->setPlainText("old");
        const int historyBefore = window.history().size();
        const QString first = writeFile(fixture.exeDir() + "/first.txt", "1\n2");
        const QString second = writeFile(fixture.exeDir() + "/second file.txt", "3.5\r\n4");
        dropUrls(&window, {QUrl::fromLocalFile(first), QUrl::fromLocalFile(second)});
        QCOMPARE(memoOf(window)->toPlainText(), QString("3.5\n4"));
        // One snapshot for the whole drop, so that undo brings back the text from before it.
        QCOMPARE(window.history().size(), historyBefore + 1);

        dropUrls(&window, {QUrl::fromLocalFile(second), QUrl::fromLocalFile(first)});
        QCOMPARE(memoOf(window)->toPlainText(), QString("1\n2"));
    }

    void aDropWithoutLocalFilesReadsNoFile() {
        MainWindowFixture fixture;
        TFmTallixor& window = fixture.openWindow();
        window.show();
        memoOf(window)->setPlainText("12");
        dropUrls(&window, {QUrl("http://example.com/nums.txt")});
        // No file is read: the text box takes a web address like any dropped text.
        QCOMPARE(memoOf(window)->toPlainText(), QString("12http://example.com/nums.txt"));
    }

    void sessionEndSavesTextAndPlacementWhileTheWindowLives() {
        MainWindowFixture fixture;
        TFmTallixor& window = fixture.openWindow();
        window.show();
        window.move(31, 41);
        memoOf(window)->setPlainText("7\n8");
        window.findChild<TkstrFormFunc*>("kstrFormFunc1")->EndSession(true);
        QCOMPARE(fixture.readDataFile("nums.txt"), QByteArray("7\r\n8"));
        const QRect outer = window.frameGeometry();
        QCOMPARE(fixture.readDataFile("application.ini"),
                 "[TFMTALLIXOR]\nTOP=41\nLEFT=31\nWIDTH=" + QByteArray::number(outer.width()) +
                     "\nHEIGHT=" + QByteArray::number(outer.height()) +
                     "\nDOCKSITE=\n[VOICE]\ninput=1\nreturn=1\ntype=speed\n");
        QVERIFY(window.isVisible());
        memoOf(window)->setPlainText("9");
        fixture.closeWindow(); // and the normal end saves again
        QCOMPARE(fixture.readDataFile("nums.txt"), QByteArray("9"));
    }
};

QTEST_MAIN(MainWindowFormFuncTest)
#include "MainWindowFormFuncTest.moc"
