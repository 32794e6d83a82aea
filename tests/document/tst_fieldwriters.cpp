#include "Fixtures.h"
#include "ScriptedPlatform.h"

#include "engines/TestFile.h"
#include "engines/PersonFile.h"
#include "ground/App.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

// The test file and the person file give each field one line. A field that
// reaches the writer with a line break or a character the file cannot spell
// (a fault upstream) would shift every later line on reading: the save is
// refused with the file's message and the old file stays byte for byte.
class TestFieldWriters : public QObject {
    Q_OBJECT

    QTemporaryDir tmp;

private Q_SLOTS:
    void testFileRefusesBrokenFields_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("value");
        QTest::newRow("name with CR LF") << "name" << "Тест\r\nдва";
        QTest::newRow("name with LF") << "name" << "Тест\nдва";
        QTest::newRow("name with SUB") << "name" << QStringLiteral("Тест\x1A");
        QTest::newRow("name with é") << "name" << "Café";
        QTest::newRow("password with LF") << "password" << "a\nb";
        QTest::newRow("question with LF") << "question" << "Ваш\nрост?";
        QTest::newRow("answer with SUB") << "answer" << QStringLiteral("Да\x1A");
    }
    void testFileRefusesBrokenFields()
    {
        QFETCH(QString, field);
        QFETCH(QString, value);
        ScriptedPlatform pf;
        App app(pf);
        app.st.folders.PathSep = QStringLiteral("/");
        app.st.test.TestName = QStringLiteral("Тест");
        app.st.test.TestPassword = QStringLiteral("пароль");
        app.st.test.QuestionCount = 1;
        app.st.test.Questions.resizeFresh(1);
        app.st.test.Questions[1].Vopros = QStringLiteral("Вопрос");
        app.st.test.Questions[1].CountOtvetov = 1;
        app.st.test.Questions[1].AddOtvety(0, QStringLiteral("Да"));
        app.st.test.Questions[1].AddOtvety(1, QStringLiteral("Нет"));
        const QString dir = tmp.path() + QStringLiteral("/t_") + QString::fromLatin1(QTest::currentDataTag()) + '/';
        QVERIFY(QDir().mkpath(dir));
        const QString path = dir + QStringLiteral("тест.tnd");
        SaveTest(app, path);
        QVERIFY(pf.messages.isEmpty());
        const QByteArray before = fixtures::readBytes(path);

        if (field == QLatin1String("name"))
            app.st.test.TestName = value;
        else if (field == QLatin1String("password"))
            app.st.test.TestPassword = value;
        else if (field == QLatin1String("question"))
            app.st.test.Questions[1].Vopros = value;
        else
            app.st.test.Questions[1].AddOtvety(1, value);
        SaveTest(app, path);
        QCOMPARE(pf.messageTexts(),
                 QStringList{QStringLiteral("Файл \"") + path + QStringLiteral("\" сохранить не возможно.")});
        QCOMPARE(fixtures::readBytes(path), before);
        QCOMPARE(QDir(dir).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("тест.tnd")});
    }

    // Question texts keep characters outside Windows-1251 as character
    // references: those are not faults and are written.
    void questionTextsKeepForeignCharacters()
    {
        ScriptedPlatform pf;
        App app(pf);
        app.st.folders.PathSep = QStringLiteral("/");
        app.st.test.TestName = QStringLiteral("Тест");
        app.st.test.TestPassword = QStringLiteral("п");
        app.st.test.QuestionCount = 1;
        app.st.test.Questions.resizeFresh(1);
        app.st.test.Questions[1].Vopros = QStringLiteral("José 😀");
        const QString dir = tmp.path() + QStringLiteral("/html/");
        QVERIFY(QDir().mkpath(dir));
        SaveTest(app, dir + QStringLiteral("t.tnd"));
        QVERIFY(pf.messages.isEmpty());
        QVERIFY(fixtures::readBytes(dir + QStringLiteral("t.tnd")).contains("Jos&#233; &#128512;"));
    }

    void personFileRefusesBrokenFields_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("value");
        QTest::newRow("name with CR LF") << "name" << "Анна\r\nПетрова";
        QTest::newRow("name with ü") << "name" << "Müller";
        QTest::newRow("detail with LF") << "detail" << "a\nb";
        QTest::newRow("photo with SUB") << "photo" << QStringLiteral("/фото\x1A.jpg");
        QTest::newRow("password with LF") << "password" << "a\nb";
    }
    void personFileRefusesBrokenFields()
    {
        QFETCH(QString, field);
        QFETCH(QString, value);
        ScriptedPlatform pf;
        App app(pf);
        const QString dir = tmp.path() + QStringLiteral("/p_") + QString::fromLatin1(QTest::currentDataTag()) + '/';
        QVERIFY(QDir().mkpath(dir));
        app.st.folders.WorkFolder = dir;
        Kartochka& card = app.st.CardFields[0];
        card.NameFamiliya = QStringLiteral("Анна");
        card.DataRogdeniya = 1985;
        card.Podrobnee = 1;
        card.Pol = 1;
        card.Parol = QStringLiteral("тест");
        card.Otvety = QStringLiteral("01");
        QVERIFY(SaveKartochka(app, QStringLiteral("a.tnw"), 0));
        const QByteArray before = fixtures::readBytes(dir + QStringLiteral("a.tnw"));

        if (field == QLatin1String("name"))
            card.NameFamiliya = value;
        else if (field == QLatin1String("detail"))
            card.Podrobnosti[2] = value;
        else if (field == QLatin1String("photo"))
            card.Podrobnosti[8] = value;
        else
            card.Parol = value;
        QVERIFY(!SaveKartochka(app, QStringLiteral("a.tnw"), 0));
        QCOMPARE(pf.messageTexts(), QStringList{QStringLiteral("Файл \"") + dir +
                                                QStringLiteral("a.tnw\" сохранить не возможно.")});
        QCOMPARE(fixtures::readBytes(dir + QStringLiteral("a.tnw")), before);
        QCOMPARE(QDir(dir).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("a.tnw")});
    }

    // A new result is refused the same way, and no file is made for it.
    void newResultRefusesBrokenFields()
    {
        ScriptedPlatform pf;
        App app(pf);
        app.st.folders.PathSep = QStringLiteral("/");
        const QString dir = tmp.path() + QStringLiteral("/new/");
        QVERIFY(QDir().mkpath(dir));
        app.st.folders.WorkFolder = dir;
        app.st.test.TestFilePath = dir + QStringLiteral("t.tnd");
        Kartochka& card = app.st.CardFields[0];
        card.NameFamiliya = QStringLiteral("Анна\nПетрова");
        card.DataRogdeniya = 1985;
        card.Pol = 1;
        card.Otvety = QStringLiteral("01");
        QVERIFY(!SaveNewKartochka(app, 0, QDateTime(QDate(2009, 7, 3), QTime(14, 5, 9))));
        QCOMPARE(pf.messages.size(), 1);
        QVERIFY(pf.messages[0].text.endsWith(QStringLiteral("\" сохранить не возможно.")));
        QVERIFY(QDir(dir).isEmpty(QDir::Files | QDir::Hidden | QDir::System));
    }
};

QTEST_GUILESS_MAIN(TestFieldWriters)
#include "tst_fieldwriters.moc"
