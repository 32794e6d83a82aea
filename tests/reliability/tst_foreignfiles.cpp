#include "Fixtures.h"
#include "ScriptedPlatform.h"

#include "engines/TestFile.h"
#include "ground/TextFile.h"
#include "engines/PairSearch.h"
#include "screens/people/PeopleList.h"
#include "engines/PersonFile.h"
#include "ground/App.h"
#include "screens/document/FileCommands.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

namespace {
// A literal with its NUL bytes, without the terminating one.
template <size_t N>
QByteArray bytes(const char (&literal)[N])
{
    return QByteArray(literal, N - 1);
}
}

// Test and person files that come from elsewhere: edited on Linux, damaged,
// or not text at all. They are read as far as they go, never crash the
// program, and whatever the program writes back has CR LF line ends.
class TestForeignFiles : public QObject {
    Q_OBJECT

    QTemporaryDir tmp;

    // Each case in a folder of its own, so that scans see only its files.
    void prepare(App& app)
    {
        app.st.folders.PathSep = QStringLiteral("/");
        const QString tag = QLatin1String(QTest::currentTestFunction()) + QLatin1Char('-') +
                            QString::number(qHash(QLatin1String(QTest::currentDataTag())));
        app.st.folders.WorkFolder = tmp.path() + QLatin1Char('/') + tag + QLatin1Char('/');
        QDir().mkpath(app.st.folders.WorkFolder);
        app.st.folders.AppFolder = app.st.folders.WorkFolder;
    }

private Q_SLOTS:
    void testFiles_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<int>("questions");
        QTest::addColumn<QString>("firstAnswer");
        QTest::newRow("LF only") << QByteArray("[tandemo]\nT\n 5\n\n 1\nQ\n 1\nA\nB\n 0\n") << 1 << "A";
        QTest::newRow("stray CR") << QByteArray("[tandemo]\r\nT\r\n 5\r\n\r\n 1\r\nQ\rq\r\n 1\r\nA\rB\r\nC\r\n 0\r\n") << 1 << "A\rB";
        QTest::newRow("NUL bytes") << bytes("[tandemo]\r\nT\0x\r\n 5\r\n\0\r\n 1\r\nQ\r\n 1\r\n\0A\r\nB\r\n 0\r\n") << 1
                                   << QString(QChar(0)) + QStringLiteral("A");
        QTest::newRow("invalid bytes") << QByteArray("[tandemo]\r\n\x98\xff\xfe\r\n 5\r\n\x01\x02\r\n 1\r\n\xc0\r\n 1\r\n\x98\r\nB\r\n 0\r\n")
                                       << 1 << QString(QChar(0x98));
        QTest::newRow("no line end at all") << QByteArray("[tandemo]") << 0 << "";
        QTest::newRow("binary") << bytes("\x89PNG\r\n\x1a\n\0\0\0\rIHDR") << -1 << "";
    }
    void testFiles()
    {
        QFETCH(QByteArray, content);
        QFETCH(int, questions);
        QFETCH(QString, firstAnswer);
        ScriptedPlatform pf;
        App app(pf);
        prepare(app);
        const QString path = app.st.folders.WorkFolder + QStringLiteral("x.tnd");
        fixtures::writeBytes(path, content);
        OpenTest(app, path);
        if (questions < 0) {
            QCOMPARE(pf.messages.size(), 1);  // refused: not a test file
            return;
        }
        QVERIFY(pf.messages.isEmpty());
        QCOMPARE(app.st.test.QuestionCount, questions);
        if (questions > 0)
            QCOMPARE(app.st.test.Questions[1].ListOtvety(0), firstAnswer);

        // Saved again, every line ends with CR LF.
        SaveTest(app, path);
        const QByteArray saved = fixtures::readBytes(path);
        QCOMPARE(saved.count('\n'), saved.count("\r\n"));
        QVERIFY(saved.endsWith("\r\n\r\n"));
    }

    void megabyteLines()
    {
        ScriptedPlatform pf;
        App app(pf);
        prepare(app);
        const QByteArray longLine(1 << 20, 'x');
        const QString path = app.st.folders.WorkFolder + QStringLiteral("long.tnd");
        fixtures::writeBytes(path, "[tandemo]\r\n" + longLine + "\r\n 5\r\n" + longLine + "\r\n 1\r\n" + longLine +
                                       "\r\n 1\r\n" + longLine + "\r\nB\r\n 0\r\n");
        OpenTest(app, path);
        QCOMPARE(app.st.test.TestName.size(), longLine.size());
        QCOMPARE(app.st.test.Questions[1].Vopros.size(), longLine.size());

        Kartochka card;
        card.NameFamiliya = QString::fromLatin1(longLine);
        card.Otvety = QString::fromLatin1(longLine);
        card.Pol = 1;
        fixtures::writeBytes(app.st.folders.WorkFolder + QStringLiteral("long.tnw"), PersonFileContent(card));
        QCOMPARE(OpenKartochka(app, QStringLiteral("long.tnw"), 1), CardOpen::Opened);
        QCOMPARE(app.st.CardFields[1].NameFamiliya.size(), longLine.size());
        Kartochka reference;
        reference.Otvety = QString(50, QLatin1Char('x'));
        const PairRanking ranking = RankPairs(app.st.folders.WorkFolder, reference, 2026);
        QCOMPARE(ranking.pairs.size(), 1);
        QCOMPARE(ranking.matches[0], 50);
    }

    void personFiles_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("answers");
        const QString nul(QChar(0));
        QTest::newRow("LF only") << textfile::encode(QStringLiteral("[kartochka]\nАнна\n 1990\n 0\n012\n 1\n\n"))
                                 << "Анна" << "012";
        QTest::newRow("stray CR") << textfile::encode(QStringLiteral("[kartochka]\r\nАн\rна\r\n 1990\r\n 0\r\n0\r12\r\n 1\r\n\r\n"))
                                  << "Ан\rна" << "0\r12";
        QTest::newRow("NUL in name") << textfile::encode(QStringLiteral("[kartochka]\r\nА") + nul + QStringLiteral("на\r\n 1990\r\n 0\r\n012\r\n 1\r\n\r\n"))
                                     << QStringLiteral("А") + nul + QStringLiteral("на") << "012";
        QTest::newRow("invalid bytes") << QByteArray("[kartochka]\r\n\xff\x98\r\n\xff\r\n\xff\r\n\x98\r\n\xff\r\n") << "я\u0098" << "\u0098";
    }
    void personFiles()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, name);
        QFETCH(QString, answers);
        ScriptedPlatform pf;
        App app(pf);
        prepare(app);
        fixtures::writeBytes(app.st.folders.WorkFolder + QStringLiteral("f.tnw"), content);
        QCOMPARE(OpenKartochka(app, QStringLiteral("f.tnw"), 1), CardOpen::Opened);
        QCOMPARE(app.st.CardFields[1].NameFamiliya, name);
        QCOMPARE(app.st.CardFields[1].Otvety, answers);

        app.st.people.ListWomen = true;
        ListLudeyLoad(app);
        QCOMPARE(app.st.people.PeopleLast, 0);
        QVERIFY(pf.messages.isEmpty());

        QVERIFY(SaveKartochka(app, QStringLiteral("f.tnw"), 1));
        const QByteArray saved = fixtures::readBytes(app.st.folders.WorkFolder + QStringLiteral("f.tnw"));
        QCOMPARE(saved.count('\n'), saved.count("\r\n"));
    }
};

QTEST_GUILESS_MAIN(TestForeignFiles)
#include "tst_foreignfiles.moc"
