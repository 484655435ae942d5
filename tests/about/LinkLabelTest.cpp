#include "about/LinkLabel.h"

#include "about/ShellFunctions.h"

#include <QDesktopServices>
#include <QDir>
#include <QEnterEvent>
#include <QFile>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

using namespace tallix;

// Stands in for the desktop's default handlers and records what they were asked to open.
class UrlRecorder : public QObject {
    Q_OBJECT
public:
    UrlRecorder() {
        for (const QString& scheme : m_schemes)
            QDesktopServices::setUrlHandler(scheme, this, "open");
    }
    ~UrlRecorder() override {
        for (const QString& scheme : m_schemes)
            QDesktopServices::unsetUrlHandler(scheme);
    }
    UrlRecorder(const UrlRecorder&) = delete;
    UrlRecorder& operator=(const UrlRecorder&) = delete;

    QList<QUrl> m_opened;

public slots:
    void open(const QUrl& url) { m_opened.append(url); }

private:
    const QStringList m_schemes{"http", "https", "mailto", "file"};
};

namespace {

void clickOn(QWidget* label) {
    const QPointF inside(2, 2);
    QMouseEvent press(QEvent::MouseButtonPress, inside, label->mapToGlobal(inside), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(label, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, inside, label->mapToGlobal(inside),
                        Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(label, &release);
}

} // namespace

class LinkLabelTest : public QObject {
    Q_OBJECT
private slots:
    void openLinkTakesAllButHttpForMail() {
        UrlRecorder recorder;
        openLink("http://example.com/a?b=1");
        openLink("someone@example.com");
        openLink("https://example.com/");
        QCOMPARE(recorder.m_opened,
                 QList<QUrl>({QUrl("http://example.com/a?b=1"), QUrl("mailto:someone@example.com"),
                              QUrl("mailto:https://example.com/")}));
    }

    void showsAHandPointer() {
        TLinkLabel label;
        QCOMPARE(label.cursor().shape(), Qt::PointingHandCursor);
    }

    void clickOnACaptionWithAMailAddressStartsAMail() {
        UrlRecorder recorder;
        TLinkLabel label;
        label.setText("info@example.com");
        label.resize(200, 20);
        int clicks = 0;
        connect(&label, &TLinkLabel::clicked, [&] {
            QVERIFY(recorder.m_opened.isEmpty()); // the click event comes first
            ++clicks;
        });
        clickOn(&label);
        QCOMPARE(clicks, 1);
        QCOMPARE(recorder.m_opened, QList<QUrl>({QUrl("mailto:info@example.com")}));
    }

    void webAddressKeepsTheCaptionAndOpensInTheBrowser() {
        UrlRecorder recorder;
        TLinkLabel label;
        label.setText("Kestrow");
        label.SetLinkURL("http://example.com/tallix/");
        QCOMPARE(label.text(), QString("Kestrow"));
        label.Click();
        QCOMPARE(recorder.m_opened, QList<QUrl>({QUrl("http://example.com/tallix/")}));
    }

    void existingFileShowsItsNameAndOpensWithItsProgram() {
        UrlRecorder recorder;
        QTemporaryDir root;
        const QString fileName = root.path() + "/read me.txt";
        QFile file(fileName);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        TLinkLabel label;
        label.SetLinkURL(fileName);
        QCOMPARE(label.text(), QString("read me.txt"));
        label.Click();
        QCOMPARE(recorder.m_opened, QList<QUrl>({QUrl::fromLocalFile(fileName)}));
    }

    void existingFolderShowsItsParentAndOpensItself() {
        UrlRecorder recorder;
        QTemporaryDir root;
        const QString folder = root.path() + "/voices";
        QVERIFY(QDir().mkdir(folder));
        TLinkLabel label;
        label.SetLinkURL(folder);
        QCOMPARE(label.text(), root.path());
        label.Click();
        QCOMPARE(recorder.m_opened, QList<QUrl>({QUrl::fromLocalFile(folder)}));

        label.SetLinkURL(folder + "/");
        QCOMPARE(label.text(), folder);
        label.SetLinkURL("/");
        QCOMPARE(label.text(), QString("/"));
    }

    void missingFileIsTakenForAMailAddress() {
        UrlRecorder recorder;
        TLinkLabel label;
        label.setText("caption");
        label.SetLinkURL("/no/such/file.txt");
        QCOMPARE(label.text(), QString("caption"));
        label.Click();
        QCOMPARE(recorder.m_opened, QList<QUrl>({QUrl("mailto:/no/such/file.txt")}));
    }

    void hoverUnderlinesAloneAndLeavingClearsTheStyle() {
        TLinkLabel label;
        QFont bold = label.font();
        bold.setBold(true);
        bold.setItalic(true);
        label.setFont(bold);
        QEnterEvent enter(QPointF(1, 1), QPointF(1, 1), QPointF(1, 1));
        QCoreApplication::sendEvent(&label, &enter);
        QVERIFY(label.font().underline());
        QVERIFY(!label.font().bold());
        QVERIFY(!label.font().italic());
        QEvent leave(QEvent::Leave);
        QCoreApplication::sendEvent(&label, &leave);
        QVERIFY(!label.font().underline());
        QVERIFY(!label.font().bold());
    }

    // The press that starts dragging the window a label sits on is no click on the label; a move
    // event that leaves the pointer where it was pressed is no move.
    void aPressThatMovesOnIsNoClick() {
        UrlRecorder recorder;
        TLinkLabel label;
        label.setText(QStringLiteral("a@b.example"));
        label.resize(100, 12);
        auto pressMoveRelease = [&](QPoint by) {
            const QPoint at(2, 2);
            const QPoint start = label.mapToGlobal(at);
            QMouseEvent press(QEvent::MouseButtonPress, at, start, Qt::LeftButton, Qt::LeftButton,
                              Qt::NoModifier);
            QCoreApplication::sendEvent(&label, &press);
            // The label's window moves along with the pointer, so only the screen position moves.
            QMouseEvent move(QEvent::MouseMove, at, start + by, Qt::NoButton, Qt::LeftButton,
                             Qt::NoModifier);
            QCoreApplication::sendEvent(&label, &move);
            QMouseEvent release(QEvent::MouseButtonRelease, at, start + by, Qt::LeftButton,
                                Qt::NoButton, Qt::NoModifier);
            QCoreApplication::sendEvent(&label, &release);
        };
        pressMoveRelease(QPoint(30, 20));
        pressMoveRelease(QPoint(1, 0)); // any move drags the window instead
        QVERIFY(recorder.m_opened.isEmpty());
        pressMoveRelease(QPoint(0, 0));
        QCOMPARE(recorder.m_opened.size(), 1);
    }

    void pathParts() {
        QCOMPARE(extractFileName("/a/b/c.txt"), QString("c.txt"));
        QCOMPARE(extractFileName("c.txt"), QString("c.txt"));
        QCOMPARE(extractFileName("/a/b/"), QString());
        QCOMPARE(extractFileDir("/a/b/c.txt"), QString("/a/b"));
        QCOMPARE(extractFileDir("/a"), QString("/"));
        QCOMPARE(extractFileDir("c.txt"), QString());
    }
};

QTEST_MAIN(LinkLabelTest)
#include "LinkLabelTest.moc"
