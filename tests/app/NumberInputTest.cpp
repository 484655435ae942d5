// Numbers as a Japanese desktop types them: double-width, and through an input method's
// composition. (What screen readers get is checked through AT-SPI in the end-to-end tests.)
#include "MainWindowFixture.h"
#include "ScriptedPlayer.h"
#include "app/UnitFmTallixor.h"

#include <QAction>
#include <QInputMethodEvent>
#include <QPlainTextEdit>
#include <QTest>

using namespace tallix;

namespace {

QStringList speed(const QStringList& names) {
    QStringList files;
    for (const QString& name : names)
        files << QStringLiteral("speed/") + name;
    return files;
}

void typeKeys(QWidget* widget, const QString& text) {
    for (const QChar c : text)
        QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
}

void compose(QWidget* widget, const QString& composition, const QString& commit = {}) {
    QInputMethodEvent event(composition, {});
    event.setCommitString(commit);
    QCoreApplication::sendEvent(widget, &event);
}

} // namespace

class NumberInputTest : public QObject {
    Q_OBJECT

    std::unique_ptr<MainWindowFixture> m_fixture;
    std::shared_ptr<ScriptedPlayer> m_player;

    TFmTallixor& openWindow() {
        m_player = std::make_shared<ScriptedPlayer>();
        return m_fixture->openActiveWindow(m_player);
    }

private slots:
    void init() {
        m_fixture = std::make_unique<MainWindowFixture>();
        m_fixture->makeVoiceSets();
    }
    void cleanup() {
        m_fixture.reset();
        m_player.reset();
    }

    // Typed double-width or composed, a digit is heard once, as it is typed, read aloud as the
    // digit it is, and kept as a plain digit by 数字以外を消去; a commit is no line break.
    void doubleWidthAndComposedDigitsAreSpokenOnceReadAndKept() {
        TFmTallixor& window = openWindow();
        QPlainTextEdit* memo = memoOf(window);
        typeKeys(memo, QStringLiteral("１．"));
        compose(memo, QStringLiteral("５"));
        compose(memo, QStringLiteral("５あ"));
        compose(memo, QStringLiteral("５あ２"));
        compose(memo, QStringLiteral("５あ"));
        compose(memo, {}, QStringLiteral("５あ"));
        QTRY_COMPARE(m_player->played(), speed({"1", "d", "5", "2"}));
        QCOMPARE(window.MemoText(), QStringLiteral("１．５あ"));

        QTest::keyClick(memo, Qt::Key_Escape);
        QTRY_COMPARE(m_player->played().mid(4), speed({"1", "d", "5", "s", "s", "r"}));
        actionOf(window, "MNClearExtNum")->trigger();
        QCOMPARE(window.MemoText(), QStringLiteral("1.5"));
    }
};

QTEST_MAIN(NumberInputTest)
#include "NumberInputTest.moc"
