#include "Fixtures.h"
#include "ScriptedPlatform.h"

#include "screens/document/FileCommands.h"
#include "engines/TestFile.h"
#include "ground/TextFile.h"
#include "ground/App.h"
#include "shell/MainCommands.h"
#include "shell/Startup.h"
#include "shell/VyborOtveta.h"
#include "ground/windows/HtmlView.h"
#include "screens/views/Splash.h"
#include "screens/views/Firmy.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

using fixtures::cp1251Lines;
using fixtures::writeBytes;

namespace {
// A test file of `count` questions named `name`, each with two answers.
QByteArray testFile(const QString& name, int count, const QString& prefix)
{
    QStringList lines{QStringLiteral("[tandemo]"), name, QStringLiteral(" 1"), QString(), QStringLiteral(" %1").arg(count)};
    for (int q = 1; q <= count; ++q)
        lines << QStringLiteral("%1 %2").arg(prefix).arg(q) << QStringLiteral(" 1") << QStringLiteral("да")
              << QStringLiteral("нет");
    lines << QStringLiteral(" 0") << QString();
    return cp1251Lines(lines);
}
}

class TestFileCommands : public QObject {
    Q_OBJECT

    QTemporaryDir tmp;
    QString dir;

    void start(App& app, ScriptedPlatform& pf)
    {
        pf.exeFolder = dir + QStringLiteral("prog");
        QDir().mkpath(pf.exeFolder);
        Main(app);
    }

private Q_SLOTS:
    void init()
    {
        dir = tmp.path() + QLatin1Char('/');
    }

    void openDialogAndItsAnswers_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<QString>("opened");
        QTest::addColumn<QString>("message");
        QTest::newRow("cancel") << QString() << QString() << QString();
        QTest::newRow("no extension") << "pets/pets" << "pets/pets.tnd" << QString();
        QTest::newRow("dot in the folder only") << "pets.d/pets" << "pets.d/pets.tnd" << QString();
        QTest::newRow("other extension") << "pets/pets.txt" << QString() << "не подходит к программе.";
    }
    void openDialogAndItsAnswers()
    {
        QFETCH(QString, answer);
        QFETCH(QString, opened);
        QFETCH(QString, message);
        for (const QString& folder : {QStringLiteral("pets"), QStringLiteral("pets.d")}) {
            QDir().mkpath(dir + folder);
            writeBytes(dir + folder + QStringLiteral("/pets.tnd"), testFile(QStringLiteral("Питомцы"), 2, QStringLiteral("В")));
        }
        writeBytes(dir + QStringLiteral("pets/pets.txt"), "just text\r\n");
        ScriptedPlatform pf;
        App app(pf);
        start(app, pf);
        pf.fileAnswers = {answer.isEmpty() ? QString() : dir + answer};
        frmForma_MenuClick(app, app.frmForma.FileOpen.name);

        QCOMPARE(pf.fileDialogs.size(), 1);
        QCOMPARE(pf.fileDialogs[0].save, false);
        QVERIFY(pf.fileDialogs[0].suggestedName.isEmpty());
        QCOMPARE(pf.fileDialogs[0].initialFolder, app.st.folders.AppFolder);
        QCOMPARE(pf.fileDialogs[0].filters,
                 (QList<FileFilter>{{QStringLiteral("Tests (*.tnd)"), QStringLiteral("*.tnd")},
                                    {QStringLiteral("All Files (*.*)"), QStringLiteral("*.*")}}));
        QCOMPARE(app.st.test.TestFilePath, opened.isEmpty() ? QString() : dir + opened);
        if (message.isEmpty())
            QVERIFY(pf.messages.isEmpty());
        else
            QCOMPARE(pf.messageTexts(), QStringList{QStringLiteral("Файл \"") + dir + answer + QStringLiteral("\" ") + message});
        if (!answer.isEmpty())
            QCOMPARE(app.st.folders.LastFolder, QFileInfo(dir + answer).path() + QLatin1Char('/'));
    }

    void farPathsAreRefused()
    {
        ScriptedPlatform pf;
        App app(pf);
        start(app, pf);
        const QString far = QStringLiteral("/") + QString(250, QLatin1Char('d')) + QStringLiteral("/a.tnd");
        QVERIFY(far.size() >= 256);
        pf.fileAnswers = {far};
        OpenFile(app);
        QCOMPARE(pf.messageTexts(), QStringList{QStringLiteral("Файл расположен далеко от диска /dd")});
        QCOMPARE(pf.messages[0].icon, MsgIcon::Critical);
        QVERIFY(app.st.test.TestFilePath.isEmpty());
    }

    void saveAsSuggestions_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("suggested");
        QTest::newRow("new test") << "Pets" << "" << "Pets";
        QTest::newRow("slash") << "Кошки/собаки" << "" << "";
        QTest::newRow("vertical bar") << "Кошки|собаки" << "" << "";
        QTest::newRow("saved before") << "Pets" << "/tests/pets/мои.tnd" << "мои.tnd";
    }
    void saveAsSuggestions()
    {
        QFETCH(QString, name);
        QFETCH(QString, path);
        QFETCH(QString, suggested);
        ScriptedPlatform pf;
        App app(pf);
        start(app, pf);
        app.st.test.TestName = name;
        app.st.test.TestFilePath = path;
        SaveTestDialogAs(app);
        QCOMPARE(pf.fileDialogs.size(), 1);
        QCOMPARE(pf.fileDialogs[0].save, true);
        QCOMPARE(pf.fileDialogs[0].suggestedName, suggested);
        QVERIFY(pf.messages.isEmpty());
    }

    void saveWithoutAFileAsksForOne()
    {
        ScriptedPlatform pf;
        App app(pf);
        start(app, pf);
        app.st.test.TestName = QStringLiteral("Pets");
        app.st.test.QuestionCount = 1;
        app.st.test.Questions.resizeFresh(1);
        QDir().mkpath(dir + QStringLiteral("new"));
        pf.fileAnswers = {dir + QStringLiteral("new/pets")};
        SaveTestDialog(app);
        QCOMPARE(pf.fileDialogs.size(), 1);
        QVERIFY(QFile::exists(dir + QStringLiteral("new/pets.tnd")));
        QCOMPARE(app.st.test.TestFilePath, dir + QStringLiteral("new/pets.tnd"));

        // Saved once, the next save rewrites the file without a dialog.
        app.st.test.Questions[1].Vopros = QStringLiteral("изменено");
        SaveTestDialog(app);
        QCOMPARE(pf.fileDialogs.size(), 1);
        QVERIFY(fixtures::readBytes(dir + QStringLiteral("new/pets.tnd")).contains(textfile::encode(QStringLiteral("изменено"))));
    }

    void mergeAppendsQuestions()
    {
        QDir().mkpath(dir + QStringLiteral("m"));
        writeBytes(dir + QStringLiteral("m/add.tnd"), testFile(QStringLiteral("Добавка"), 3, QStringLiteral("Новый")));
        ScriptedPlatform pf;
        App app(pf);
        start(app, pf);
        app.st.test.TestName = QStringLiteral("Основа");
        app.st.test.TestPassword = QStringLiteral("старый");
        app.st.test.TestFilePath = dir + QStringLiteral("base/base.tnd");
        app.st.test.QuestionCount = 5;
        app.st.test.Questions.resizeFresh(5);
        for (int q = 1; q <= 5; ++q)
            app.st.test.Questions[q].Vopros = QStringLiteral("Старый %1").arg(q);
        app.st.main.CurrentQuestion = 1;
        pf.fileAnswers = {dir + QStringLiteral("m/add")};
        app.frmForma.Edit.enabled = true;  // the editor's text box has the focus
        frmForma_MenuClick(app, app.frmForma.EditAddTest.name);
        QVERIFY(pf.messages.isEmpty());
        QCOMPARE(app.st.test.QuestionCount, 8);
        QCOMPARE(app.st.test.Questions[5].Vopros, QStringLiteral("Старый 5"));
        QCOMPARE(app.st.test.Questions[6].Vopros, QStringLiteral("Новый 1"));
        QCOMPARE(app.st.test.Questions[8].ListOtvety(1), QStringLiteral("нет"));
        QCOMPARE(app.frmForma.NmWpr.text, QStringLiteral("Вопрос №1 из 8"));
        QCOMPARE(app.st.test.TestName, QStringLiteral("Добавка"));
        QVERIFY(app.st.test.TestPassword.isEmpty());
        QCOMPARE(app.st.test.TestFilePath, dir + QStringLiteral("base/base.tnd"));
        QVERIFY(pf.processEventsCalls >= 2);

        pf.fileAnswers = {dir + QStringLiteral("m/missing.tnd")};
        OpenFileToAdd(app);
        QCOMPARE(pf.messageTexts().last(),
                 QStringLiteral("Файл \"") + dir + QStringLiteral("m/missing.tnd\" не найден"));
        QCOMPARE(app.st.test.QuestionCount, 8);
    }

    void lastFolderSurvivesARestart()
    {
        QDir().mkpath(dir + QStringLiteral("где-то"));
        ScriptedPlatform pf;
        {
            App app(pf);
            start(app, pf);
            pf.fileAnswers = {dir + QStringLiteral("где-то/x.tnd")};
            OpenFile(app);
            QCOMPARE(UnloadProga(app), 0);
        }
        App again(pf);
        start(again, pf);
        OpenFile(again);
        QCOMPARE(pf.fileDialogs.last().initialFolder, dir + QStringLiteral("где-то/"));
    }

    void splashPictureCanBeChanged()
    {
        ScriptedPlatform pf;
        App app(pf);
        start(app, pf);
        const int shown = app.frmForma.usrWeb1.loads;
        pf.fileAnswers = {QString(), dir + QStringLiteral("фото.png")};
        frmForma_MenuClick(app, app.frmForma.HelpOptions.name);  // cancelled
        QCOMPARE(app.st.folders.SplashPicture, app.st.folders.AppFolder + QStringLiteral("sunbird.jpg"));
        QCOMPARE(pf.fileDialogs[0].suggestedName, app.st.folders.AppFolder + QStringLiteral("sunbird.jpg"));
        QCOMPARE(pf.fileDialogs[0].filters.first().caption, QStringLiteral("All picture files (*.*)"));
        frmForma_MenuClick(app, app.frmForma.HelpOptions.name);
        QCOMPARE(app.st.folders.SplashPicture, dir + QStringLiteral("фото.png"));
        QCOMPARE(app.frmForma.usrWeb1.loads, shown + 1);
        QVERIFY(app.frmForma.usrWeb1.text.contains(QStringLiteral("<img border='0' src='") + dir + QStringLiteral("фото.png'>")));

        // Elsewhere the new picture waits for the next splash page.
        VyborOtveta(app, Command(QStringLiteral("f")) + QLatin1Char('/'));
        QCOMPARE(app.st.main.View, ViewMode::ShowFirmy);
        pf.fileAnswers = {dir + QStringLiteral("другое.png")};
        frmForma_MenuClick(app, app.frmForma.HelpOptions.name);
        QVERIFY(!app.st.main.MainHtml.contains(QStringLiteral("другое.png")));
        VyborOtveta(app, Command(QStringLiteral("b")) + QLatin1Char('/'));
        QCOMPARE(app.st.main.View, ViewMode::ShowZastavka);
        QVERIFY(app.st.main.MainHtml.contains(QStringLiteral("другое.png")));
    }
};

QTEST_GUILESS_MAIN(TestFileCommands)
#include "tst_filecommands.moc"
