#include "Fixtures.h"
#include "ScriptedPlatform.h"

#include "engines/PersonFile.h"
#include "ground/App.h"
#include "ground/TextFile.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

using fixtures::cp1251Lines;
using fixtures::readBytes;
using fixtures::writeBytes;

namespace {
Kartochka anna()
{
    Kartochka card;
    card.NameFamiliya = QStringLiteral("Анна Петрова");
    card.DataRogdeniya = 1985;
    card.Otvety = QStringLiteral("02109");
    card.Pol = 1;
    return card;
}
}

class TestPersonFile : public QObject {
    Q_OBJECT

    QTemporaryDir tmp;

    void prepare(App& app)
    {
        app.st.folders.PathSep = QStringLiteral("/");
        app.st.folders.WorkFolder = tmp.path() + QLatin1Char('/');
    }

private Q_SLOTS:
    void layoutWithoutDetails()
    {
        ScriptedPlatform pf;
        App app(pf);
        prepare(app);
        app.st.CardFields[0] = anna();
        QVERIFY(SaveKartochka(app, QStringLiteral("anna.tnw"), 0));
        QCOMPARE(app.st.CardFields[0].FileName, QStringLiteral("anna.tnw"));
        QCOMPARE(readBytes(app.st.folders.WorkFolder + QStringLiteral("anna.tnw")),
                 cp1251Lines({QStringLiteral("[kartochka]"), QStringLiteral("Анна Петрова"), QStringLiteral(" 1985"),
                              QStringLiteral(" 0"), QStringLiteral("02109"), QStringLiteral(" 1"), QString(), QString()}));
    }

    void roundTrip_data()
    {
        QTest::addColumn<int>("details");
        QTest::addColumn<QStringList>("values");
        QTest::addColumn<QString>("name");
        QTest::newRow("no details") << 0 << QStringList() << QStringLiteral("Анна, \"Аня\" Петрова");
        QTest::newRow("empty details") << 1 << QStringList(9, QString()) << QStringLiteral("Пётр");
        QTest::newRow("full details")
            << 1
            << QStringList{"1,65", "55", "Блондинка", "Голубые", "Рыбы", "Люблю, \"кино\"", "Друга", "Москва", "/ф/a.jpg"}
            << QStringLiteral("<b>Ира</b>");
    }
    void roundTrip()
    {
        QFETCH(int, details);
        QFETCH(QStringList, values);
        QFETCH(QString, name);
        ScriptedPlatform pf;
        App app(pf);
        prepare(app);
        Kartochka card = anna();
        card.NameFamiliya = name;
        card.Podrobnee = details;
        for (int i = 0; i < values.size(); ++i)
            card.Podrobnosti[static_cast<size_t>(i)] = values[i];
        card.Parol = QStringLiteral("Пароль, с \"кавычками\"");
        app.st.CardFields[1] = card;
        QVERIFY(SaveKartochka(app, QStringLiteral("rt.tnw"), 1));
        const int lineCount = readBytes(app.st.folders.WorkFolder + QStringLiteral("rt.tnw")).count("\r\n");
        QCOMPARE(lineCount, details == 1 ? 17 : 8);

        app.st.CardFields[2].Podrobnosti[3] = QStringLiteral("stale");
        QCOMPARE(OpenKartochka(app, QStringLiteral("rt.tnw"), 2), CardOpen::Opened);
        const Kartochka& back = app.st.CardFields[2];
        QCOMPARE(back.NameFamiliya, card.NameFamiliya);
        QCOMPARE(back.DataRogdeniya, 1985);
        QCOMPARE(back.Podrobnee, details);
        QCOMPARE(back.Otvety, card.Otvety);
        QCOMPARE(back.Podrobnosti, card.Podrobnosti);
        QCOMPARE(back.Pol, 1);
        QCOMPARE(back.Parol, card.Parol);
        QCOMPARE(back.FileName, QStringLiteral("rt.tnw"));
    }

    // A card read after another one: what the damaged file cannot give is
    // empty or zero, never the previous person's (address, password, sex).
    void damagedFileNeverShowsThePreviousCard()
    {
        ScriptedPlatform pf;
        App app(pf);
        prepare(app);
        writeBytes(app.st.folders.WorkFolder + QStringLiteral("short.tnw"),
                   cp1251Lines({QStringLiteral("[kartochka]"), QStringLiteral("Ирина"), QStringLiteral("год?"),
                                QStringLiteral(" 0"), QStringLiteral("0101")}));
        Kartochka previous = anna();
        previous.Pol = 0;
        previous.Podrobnee = 1;
        previous.Podrobnosti[7] = QStringLiteral("ул. Ленина, 1");
        previous.Parol = QStringLiteral("old");
        previous.FileName = QStringLiteral("anna.tnw");
        app.st.CardFields[1] = previous;
        QCOMPARE(OpenKartochka(app, QStringLiteral("short.tnw"), 1), CardOpen::Opened);
        QVERIFY(pf.messages.isEmpty());
        const Kartochka& card = app.st.CardFields[1];
        QCOMPARE(card.NameFamiliya, QStringLiteral("Ирина"));
        QCOMPARE(card.DataRogdeniya, 0);
        QVERIFY(!card.DataRogdeniyaKnown);
        QCOMPARE(card.Otvety, QStringLiteral("0101"));
        QCOMPARE(card.Pol, 1);  // from the extension, not the previous card
        QVERIFY(card.Parol.isEmpty());
        QVERIFY(card.Podrobnosti[7].isEmpty());
        QCOMPARE(card.FileName, QStringLiteral("short.tnw"));
    }

    void openFailuresLeaveTheSlot_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("message");
        QTest::newRow("missing") << "missing" << QStringLiteral("Файл не найден");
        QTest::newRow("folder") << "folder" << QStringLiteral("Файл открыть не возможно");
        QTest::newRow("case") << "case" << QStringLiteral("Файл не подходит к программе.");
        QTest::newRow("trailing blank") << "blank" << QStringLiteral("Файл не подходит к программе.");
        QTest::newRow("empty") << "empty" << QStringLiteral("Файл не подходит к программе.");
    }
    void openFailuresLeaveTheSlot()
    {
        QFETCH(QString, kind);
        QFETCH(QString, message);
        ScriptedPlatform pf;
        App app(pf);
        prepare(app);
        const QString name = QStringLiteral("f-") + kind + QStringLiteral(".tnm");
        const QString path = app.st.folders.WorkFolder + name;
        if (kind == QLatin1String("folder"))
            QDir().mkpath(path);
        else if (kind == QLatin1String("case"))
            writeBytes(path, "[Kartochka]\r\nX\r\n 1990\r\n 0\r\n0\r\n 0\r\n\r\n");
        else if (kind == QLatin1String("blank"))
            writeBytes(path, "[kartochka] \r\nX\r\n 1990\r\n 0\r\n0\r\n 0\r\n\r\n");
        else if (kind == QLatin1String("empty"))
            writeBytes(path, QByteArray());
        app.st.CardFields[1] = anna();
        QCOMPARE(OpenKartochka(app, name, 1), CardOpen::Failed);
        QCOMPARE(pf.messageTexts(), QStringList{message});
        QCOMPARE(pf.messages[0].icon, MsgIcon::Critical);
        QCOMPARE(app.st.CardFields[1].NameFamiliya, QStringLiteral("Анна Петрова"));
        QVERIFY(app.st.CardFields[1].FileName.isEmpty());
    }

    void saveFailures_data()
    {
        QTest::addColumn<bool>("readOnly");
        QTest::newRow("read-only file") << true;
        QTest::newRow("missing folder") << false;
    }
    void saveFailures()
    {
        QFETCH(bool, readOnly);
        ScriptedPlatform pf;
        App app(pf);
        prepare(app);
        if (!readOnly)
            app.st.folders.WorkFolder = tmp.path() + QStringLiteral("/нет/");
        const QString path = app.st.folders.WorkFolder + QStringLiteral("ro.tnw");
        if (readOnly) {
            writeBytes(path, "old");
            fixtures::setReadOnly(path, true);
        }
        app.st.CardFields[0] = anna();
        app.st.CardFields[0].FileName = QStringLiteral("before.tnw");
        QVERIFY(!SaveKartochka(app, QStringLiteral("ro.tnw"), 0));
        const QString ending = readOnly ? QStringLiteral("\" защищён от записи.") : QStringLiteral("\" сохранить не возможно.");
        QCOMPARE(pf.messageTexts(), QStringList{QStringLiteral("Файл \"") + path + ending});
        QCOMPARE(app.st.CardFields[0].FileName, QStringLiteral("before.tnw"));
        if (readOnly) {
            QCOMPARE(readBytes(path), QByteArray("old"));
            fixtures::setReadOnly(path, false);
        }
    }

    // The writer refuses a card that a reader would cut, for a change of a
    // card and for a new result alike, naming the field; the file on disk
    // stays as it was. A card right at the bound is written and read whole.
    void tooLongCardNeverWritten_data()
    {
        QTest::addColumn<bool>("change");
        QTest::addColumn<int>("field");   // 0 name, 1 about, 2 password
        QTest::addColumn<qsizetype>("over");  // bytes past the bound
        QTest::addColumn<QString>("caption");
        for (bool change : {true, false}) {
            const char* how = change ? "change" : "new result";
            QTest::addRow("%s: about one byte over", how) << change << 1 << qsizetype(1) << "О себе";
            QTest::addRow("%s: about at the bound", how) << change << 1 << qsizetype(0) << "";
            QTest::addRow("%s: name past the lists' bound", how) << change << 0 << qsizetype(1) << "Имя и фамилия";
            QTest::addRow("%s: name at the lists' bound", how) << change << 0 << qsizetype(0) << "";
            QTest::addRow("%s: password", how) << change << 2 << qsizetype(1) << "Пароль";
        }
    }
    void tooLongCardNeverWritten()
    {
        QFETCH(bool, change);
        QFETCH(int, field);
        QFETCH(qsizetype, over);
        QFETCH(QString, caption);
        ScriptedPlatform pf;
        App app(pf);
        prepare(app);
        app.st.test.TestFilePath = app.st.folders.WorkFolder + QStringLiteral("клуб.tnd");
        QDir(app.st.folders.WorkFolder).removeRecursively();
        QDir().mkpath(app.st.folders.WorkFolder);
        Kartochka card = anna();
        card.Podrobnee = 1;
        // Grow the field until the file (or the lines the lists read) is at the bound, plus `over`.
        QString& text = field == 0 ? card.NameFamiliya : field == 1 ? card.Podrobnosti[5] : card.Parol;
        const qsizetype size = field == 0 ? PersonFileContent(card).indexOf(card.Otvety.toLatin1() + "\r\n") +
                                                card.Otvety.size() + 2
                                          : PersonFileContent(card).size();
        text += QString((field == 0 ? textfile::kMaxCardHeadBytes : textfile::kMaxCardBytes) - size + over,
                        QLatin1Char('x'));
        const QString name = QStringLiteral("anna.tnw");
        const QString path = app.st.folders.WorkFolder + name;
        writeBytes(path, "old");
        app.st.CardFields[1] = card;
        const bool saved = change ? SaveKartochka(app, name, 1)
                                  : SaveNewKartochka(app, 1, QDateTime(QDate(2026, 12, 10), QTime(12, 0)));
        const QStringList files = QDir(app.st.folders.WorkFolder).entryList(QDir::Files | QDir::Hidden);
        if (caption.isEmpty()) {
            QVERIFY(saved);
            QVERIFY(pf.messages.isEmpty());
            const QString written = app.st.CardFields[1].FileName;
            QCOMPARE(OpenKartochka(app, written, 2), CardOpen::Opened);
            QCOMPARE(app.st.CardFields[2].NameFamiliya, card.NameFamiliya);
            QCOMPARE(app.st.CardFields[2].Podrobnosti, card.Podrobnosti);
            QCOMPARE(app.st.CardFields[2].Parol, card.Parol);
            return;
        }
        QVERIFY(!saved);
        QCOMPARE(pf.messageTexts(), QStringList{QStringLiteral("Поле \"") + caption +
                                                QStringLiteral("\" слишком длинное, карточку сохранить не возможно.")});
        QCOMPARE(pf.messages[0].icon, MsgIcon::Critical);
        QCOMPARE(readBytes(path), QByteArray("old"));
        QCOMPARE(files, QStringList{name});
    }

    void fileNameRule_data()
    {
        QTest::addColumn<QString>("testFile");
        QTest::addColumn<int>("sex");
        QTest::addColumn<QTime>("time");
        QTest::addColumn<QString>("expected");
        QTest::newRow("woman") << "Знакомства.tnd" << 1 << QTime(14, 5, 9) << "Знакомства_20090703140509.tnw";
        QTest::newRow("man, morning") << "Знакомства.tnd" << 0 << QTime(9, 5, 7) << "Знакомства_20090703090507.tnm";
        QTest::newRow("no dot") << "клуб" << 2 << QTime(23, 0, 0) << "клуб_20090703230000.tnw";
    }
    void fileNameRule()
    {
        QFETCH(QString, testFile);
        QFETCH(int, sex);
        QFETCH(QTime, time);
        QFETCH(QString, expected);
        ScriptedPlatform pf;
        App app(pf);
        app.st.folders.PathSep = QStringLiteral("\\");
        app.st.folders.WorkFolder = QStringLiteral("D:\\Tests.old\\");
        app.st.test.TestFilePath = app.st.folders.WorkFolder + testFile;
        Kartochka card;
        card.Pol = sex;
        QCOMPARE(PersonFileName(app, card, QDateTime(QDate(2009, 3, 7), time)), expected);
    }
};

QTEST_GUILESS_MAIN(TestPersonFile)
#include "tst_personfile.moc"
