#include "Fixtures.h"
#include "ScriptedPlatform.h"

#include "screens/editor/NewTest.h"
#include "engines/TestFile.h"
#include "ground/App.h"
#include "shell/MainCommands.h"
#include "shell/Startup.h"
#include "shell/VyborOtveta.h"
#include "screens/views/Splash.h"
#include "screens/document/FileCommands.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

namespace {
const QString kQuestion = QStringLiteral("Сохранить изменения в тесте?");

QByteArray testFile(const QString& name, const QString& question)
{
    return fixtures::cp1251Lines({QStringLiteral("[tandemo]"), name, QStringLiteral(" 0"), QString(), QStringLiteral(" 1"), question,
                                  QStringLiteral(" 1"), QStringLiteral("Да"), QStringLiteral("Нет"),
                                  QStringLiteral(" 0"), QString()});
}
}  // namespace

// The editor's test is replaced by "Открыть", "Создать", the last-test item
// and the splash page's links; changes never saved are not lost silently.
class TestUnsavedEdits : public QObject {
    Q_OBJECT

    QTemporaryDir tmp;
    QString editedPath, otherPath;

    struct Running {
        ScriptedPlatform pf;
        App app{pf};
    };

    // The editor on the test at `editedPath`, opened as the author does:
    // open the file, then enter the editor.
    std::unique_ptr<Running> editing(const QString& appDir)
    {
        auto r = std::make_unique<Running>();
        r->pf.exeFolder = appDir;
        fixtures::writeBytes(appDir + QStringLiteral("Тандемо.ini"),
                             fixtures::cp1251Lines({appDir, QString(), otherPath}));
        Main(r->app);
        OpenTest(r->app, editedPath);
        r->app.st.main.CurrentQuestion = 1;
        NewTest(r->app, 1);
        r->pf.messages.clear();
        return r;
    }

    // Runs one of the commands that replace the test in memory.
    static void replace(Running& r, const QString& command)
    {
        if (command == QLatin1String("open")) {
            frmForma_MenuClick(r.app, r.app.frmForma.FileOpen.name);
        } else if (command == QLatin1String("new")) {
            frmForma_MenuClick(r.app, r.app.frmForma.FileNew.name);
        } else if (command == QLatin1String("last test")) {
            frmForma_MenuClick(r.app, r.app.frmForma.FileNameTest.name);
        } else if (command == QLatin1String("splash new")) {
            // The link acts from the splash page on screen.
            ShowZastavka(r.app);
            VyborOtveta(r.app, QStringLiteral("http://tnd.n.ru/"));
        }
    }

private Q_SLOTS:
    void init()
    {
        QVERIFY(tmp.isValid());
        QDir(tmp.path()).removeRecursively();
        QVERIFY(QDir().mkpath(tmp.path() + QStringLiteral("/prog")));
        QVERIFY(QDir().mkpath(tmp.path() + QStringLiteral("/a")));
        QVERIFY(QDir().mkpath(tmp.path() + QStringLiteral("/b")));
        editedPath = tmp.path() + QStringLiteral("/a/a.tnd");
        otherPath = tmp.path() + QStringLiteral("/b/b.tnd");
        fixtures::writeBytes(editedPath, testFile(QStringLiteral("Первый"), QStringLiteral("Вопрос?")));
        fixtures::writeBytes(otherPath, testFile(QStringLiteral("Второй"), QStringLiteral("Другой?")));
    }

    void unchangedTestIsReplacedWithoutAQuestion_data()
    {
        QTest::addColumn<QString>("command");
        for (const char* c : {"open", "new", "last test"})
            QTest::newRow(c) << QString::fromLatin1(c);
    }
    void unchangedTestIsReplacedWithoutAQuestion()
    {
        QFETCH(QString, command);
        auto r = editing(tmp.path() + QStringLiteral("/prog/"));
        // Showing another question and coming back changes nothing.
        frmForma_Event(r->app, UiEvent{UiEvent::Click, QStringLiteral("picVopros")});
        replace(*r, command);
        QVERIFY(!r->pf.messageTexts().contains(kQuestion));
        if (command == QLatin1String("last test"))
            QCOMPARE(r->app.st.test.TestName, QStringLiteral("Второй"));
        else if (command == QLatin1String("open"))
            QCOMPARE(r->pf.fileDialogs.size(), 1);
        else
            QVERIFY(r->pf.modals.contains(WindowId::Param));
    }

    // After a change: Cancel keeps the test and the editor as they are, No
    // drops the change, Yes saves it first.
    void changedTestAsksFirst_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<MsgAnswer>("answer");
        for (const char* c : {"open", "new", "last test", "splash new"}) {
            QTest::newRow(qPrintable(QStringLiteral("%1, cancel").arg(QLatin1String(c))))
                << QString::fromLatin1(c) << MsgAnswer::Cancel;
            QTest::newRow(qPrintable(QStringLiteral("%1, no").arg(QLatin1String(c))))
                << QString::fromLatin1(c) << MsgAnswer::No;
            QTest::newRow(qPrintable(QStringLiteral("%1, yes").arg(QLatin1String(c))))
                << QString::fromLatin1(c) << MsgAnswer::Yes;
        }
    }
    void changedTestAsksFirst()
    {
        QFETCH(QString, command);
        QFETCH(MsgAnswer, answer);
        auto r = editing(tmp.path() + QStringLiteral("/prog/"));
        const QByteArray stored = fixtures::readBytes(editedPath);
        Control& txt = r->app.frmForma.Txt;
        txt.text = QStringLiteral("Новый вопрос?");
        txt.selStart = static_cast<int>(txt.text.size());
        frmForma_Event(r->app, UiEvent{UiEvent::Change, txt.name});
        QCOMPARE(r->app.st.test.Questions[1].Vopros, QStringLiteral("Новый вопрос?"));

        r->pf.messageAnswers.push_back(answer);
        replace(*r, command);
        QCOMPARE(r->pf.messages.value(0).text, kQuestion);
        QCOMPARE(r->pf.messages.value(0).buttons, MsgButtons::YesNoCancel);
        const bool replaced = answer != MsgAnswer::Cancel;
        if (!replaced) {
            QCOMPARE(r->app.st.main.Phase, TestPhase::Editor);
            QCOMPARE(r->app.st.test.Questions[1].Vopros, QStringLiteral("Новый вопрос?"));
            QVERIFY(r->pf.fileDialogs.isEmpty());
            QVERIFY(!r->pf.modals.contains(WindowId::Param));
        }
        if (command == QLatin1String("last test") && replaced)
            QCOMPARE(r->app.st.test.TestName, QStringLiteral("Второй"));
        if (answer == MsgAnswer::Yes) {
            App reread(r->pf);
            reread.st.folders.PathSep = QStringLiteral("/");
            OpenTest(reread, editedPath);
            QCOMPARE(reread.st.test.Questions[1].Vopros, QStringLiteral("Новый вопрос?"));
        } else {
            QCOMPARE(fixtures::readBytes(editedPath), stored);
        }
    }

    // Saving makes the test unchanged again; a save that fails does not, and
    // the test stays in memory.
    void savedTestIsUnchanged()
    {
        auto r = editing(tmp.path() + QStringLiteral("/prog/"));
        r->app.st.test.Questions[1].Vopros = QStringLiteral("Другой текст");
        QVERIFY(TestModified(r->app));
        fixtures::setReadOnly(editedPath, true);
        r->pf.messageAnswers.push_back(MsgAnswer::Yes);
        frmForma_MenuClick(r->app, r->app.frmForma.FileNameTest.name);
        fixtures::setReadOnly(editedPath, false);
        QCOMPARE(r->pf.messageTexts().value(0), kQuestion);
        QCOMPARE(r->pf.messageTexts().value(1),
                 QStringLiteral("Файл \"") + editedPath + QStringLiteral("\" защищён от записи."));
        QCOMPARE(r->app.st.test.TestName, QStringLiteral("Первый"));
        QVERIFY(TestModified(r->app));

        frmForma_MenuClick(r->app, r->app.frmForma.FileSave.name);
        QVERIFY(!TestModified(r->app));
    }
};

QTEST_GUILESS_MAIN(TestUnsavedEdits)
#include "tst_unsavededits.moc"
