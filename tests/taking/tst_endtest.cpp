#include "Fixtures.h"
#include "ScriptedPlatform.h"
#include "TakingFixture.h"

#include "engines/Desk.h"
#include "engines/FolderStore.h"
#include "shell/MainCommands.h"
#include "screens/taking/EndTest.h"
#include "screens/taking/TestFlow.h"
#include "shell/VyborOtveta.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

using fixtures::cp1251Lines;
using fixtures::readBytes;

namespace {
const QString kEndHead = QStringLiteral(
    "<html><style type='text/css'>a:hover{color:red}</style><head><meta http-equiv='Content-Type' "
    "content='text/html; charset=windows-1251'></head><body topmargin=0  leftmargin=5 rightmargin=5 "
    "link='blue' vlink='blue'><center><font size='5'>");
const QString kEndLink = QStringLiteral(
    "<a style='text-decoration: none' href='http://tnd.p.ru'>Поиск пары</a></font></center></body></html>");
const QString kSaved = QStringLiteral("Результаты тестирование сохранены.<br><br>");

// Takes the whole test with the given answers and saves the result.
void takeTest(TakingSession& s, const QList<int>& answers)
{
    ReStart(s.app, 0);
    VyborOtveta(s.app, QStringLiteral("http://tnd.s.ru/"));
    for (int a : answers)
        VyborOtveta(s.app, bareLink(QString::number(a)));
    VyborOtveta(s.app, bareLink(QStringLiteral("r")));
}

// What a directory entry is, without following a link.
QString entryKind(const QString& path)
{
    struct stat st {};
    if (::lstat(QFile::encodeName(path).constData(), &st) != 0)
        return QStringLiteral("nothing");
    if (S_ISLNK(st.st_mode))
        return QStringLiteral("link to ") + QFile::symLinkTarget(path);
    if (S_ISDIR(st.st_mode))
        return QStringLiteral("folder of %1").arg(QDir(path).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).size());
    if (S_ISFIFO(st.st_mode))
        return QStringLiteral("FIFO");
    return QStringLiteral("file of %1 bytes").arg(st.st_size);
}

QStringList personFiles(const QString& folder)
{
    return QDir(folder).entryList({QStringLiteral("*.tnm"), QStringLiteral("*.tnw")}, QDir::Files, QDir::Name);
}
}

class TestEndTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void resultFileAndEndPage()
    {
        QTemporaryDir tmp;
        TakingSession s(tmp.path() + QLatin1Char('/'), 5, 10);
        s.app.frmForma.FileKartochka.enabled = true;
        takeTest(s, {0, 2, 1, 0, 9});
        const QString name = QStringLiteral("Знакомства_20090703140509.tnw");
        QCOMPARE(personFiles(tmp.path()), QStringList{name});
        QCOMPARE(readBytes(s.app.st.folders.WorkFolder + name),
                 cp1251Lines({QStringLiteral("[kartochka]"), QStringLiteral("Анна Петрова"), QStringLiteral(" 1985"),
                              QStringLiteral(" 0"), QStringLiteral("02109"), QStringLiteral(" 1"), QString(),
                              QString()}));
        QCOMPARE(s.app.st.CardFields[0].Otvety, QStringLiteral("02109"));
        QCOMPARE(s.app.st.CardFields[0].FileName, name);
        QCOMPARE(s.app.st.main.MainHtml, kEndHead + kSaved + kEndLink);
        QCOMPARE(s.app.frmForma.usrWeb1.text, s.app.st.main.MainHtml);
        QCOMPARE(s.app.st.main.Phase, TestPhase::Finished);
        QCOMPARE(s.app.st.main.View, ViewMode::EndTest);
        const FrmForma& f = s.app.frmForma;
        QVERIFY(!f.FileKartochka.enabled && !f.Nazad.enabled && !f.kDalee.enabled && !f.kRezultat.enabled);
        QVERIFY(f.FileSnachala.enabled);
        QVERIFY(s.pf.messages.isEmpty());

        // Nothing more is saved for this person, whatever is pressed now.
        VyborOtveta(s.app, bareLink(QStringLiteral("r")));
        Rezultat(s.app);
        frmForma_ButtonClick(s.app, QStringLiteral("Nazad"));
        Dalee(s.app);
        QCOMPARE(personFiles(tmp.path()).size(), 1);
        QCOMPARE(s.app.st.main.MainHtml, kEndHead + kSaved + kEndLink);
    }

    // Whom the person accepts is kept with the result just saved; without
    // any bound nothing more is written; a desk that cannot keep it says so
    // and the result stays.
    void acceptsKeptWithTheResult_data()
    {
        QTest::addColumn<QString>("ageFrom");
        QTest::addColumn<bool>("storeBlocked");
        QTest::newRow("bounds set") << "25" << false;
        QTest::newRow("none set") << "" << false;
        QTest::newRow("desk cannot keep them") << "25" << true;
    }
    void acceptsKeptWithTheResult()
    {
        QFETCH(QString, ageFrom);
        QFETCH(bool, storeBlocked);
        QTemporaryDir tmp;
        const QString folder = tmp.path() + QLatin1Char('/');
        if (storeBlocked)
            QVERIFY(QFile(folder + store::kHiddenFolder).open(QIODevice::WriteOnly));
        TakingSession s(folder, 2);
        s.pf.onModal[WindowId::Kartochka] = [&s, ageFrom] {
            frmKartochka_Load(s.app);
            s.app.frmKartochka.txtNameFamiliya.text = s.name;
            s.app.frmKartochka.txtDataRogdeniya.text = s.year;
            frmKartochka_selPol_Click(s.app, 1);
            s.app.frmKartochka.txtSeekAge[0].text = ageFrom;
            s.app.frmKartochka.chSeekHair[1].checked = !ageFrom.isEmpty();
            frmKartochka_OK_Click(s.app);
        };
        takeTest(s, {0, 1});
        const QString name = QStringLiteral("Знакомства_20090703140509.tnw");
        QCOMPARE(personFiles(tmp.path()), QStringList{name});
        QCOMPARE(s.app.st.main.MainHtml, kEndHead + kSaved + kEndLink);
        if (storeBlocked) {
            QVERIFY(s.pf.messageTexts().contains(QStringLiteral("Кого ищет этот человек, сохранить не возможно.")));
            QCOMPARE(readBytes(folder + name).isEmpty(), false);
            return;
        }
        QVERIFY(s.pf.messages.isEmpty());
        if (ageFrom.isEmpty()) {
            QVERIFY(store::Open(folder)->keys(desk::kSeekingKind).isEmpty());
            return;
        }
        const desk::Seeking kept = desk::ReadSeeking(*store::Open(folder), name);
        QCOMPARE(kept.ageFrom, std::optional<int>(25));
        QCOMPARE(kept.hair, QStringList{QStringLiteral("Брюнет")});
    }

    void fileName_data()
    {
        QTest::addColumn<QTime>("time");
        QTest::addColumn<bool>("woman");
        QTest::addColumn<QString>("expected");
        QTest::newRow("man at 09:05:07") << QTime(9, 5, 7) << false << "Знакомства_20090703090507.tnm";
        QTest::newRow("woman at 23:59:58") << QTime(23, 59, 58) << true << "Знакомства_20090703235958.tnw";
    }
    void fileName()
    {
        QFETCH(QTime, time);
        QFETCH(bool, woman);
        QFETCH(QString, expected);
        QTemporaryDir tmp;
        TakingSession s(tmp.path() + QLatin1Char('/'), 12, 2);
        s.woman = woman;
        s.pf.clock = QDateTime(QDate(2009, 3, 7), time);
        takeTest(s, QList<int>(12, 1));
        QCOMPARE(personFiles(tmp.path()), QStringList{expected});
        QCOMPARE(s.app.st.CardFields[0].Otvety, QString(12, QLatin1Char('1')));
    }

    void sameSecondKeepsBothResults()
    {
        QTemporaryDir tmp;
        const QString folder = tmp.path() + QLatin1Char('/');
        TakingSession s(folder, 3);
        takeTest(s, {0, 1, 2});
        const QString first = QStringLiteral("Знакомства_20090703140509.tnw");
        const QByteArray firstBytes = readBytes(folder + first);

        // The next woman finishes within the same second.
        s.pf.messageAnswers.push_back(MsgAnswer::Yes);
        frmForma_MenuClick(s.app, QStringLiteral("FileSnachala"));
        s.name = QStringLiteral("Ольга");
        takeTest(s, {2, 2, 2});
        const QString second = QStringLiteral("Знакомства_20090703140509_2.tnw");
        QCOMPARE(personFiles(tmp.path()), (QStringList{first, second}));
        QCOMPARE(readBytes(folder + first), firstBytes);
        QVERIFY(readBytes(folder + second).contains("\r\n222\r\n"));
        QCOMPARE(s.app.st.CardFields[0].FileName, second);
        QCOMPARE(s.app.st.main.MainHtml, kEndHead + kSaved + kEndLink);

        // A third one, and a man in the same second keeps the plain name.
        frmForma_MenuClick(s.app, QStringLiteral("FileSnachala"));
        takeTest(s, {1, 1, 1});
        s.woman = false;
        frmForma_MenuClick(s.app, QStringLiteral("FileSnachala"));
        takeTest(s, {0, 0, 0});
        QCOMPARE(personFiles(tmp.path()),
                 (QStringList{QStringLiteral("Знакомства_20090703140509.tnm"), first,
                              QStringLiteral("Знакомства_20090703140509_2.tnw"),
                              QStringLiteral("Знакомства_20090703140509_3.tnw")}));
    }

    // Whatever holds the next result's name (left by a visitor, a copy or
    // another desk), the result goes to the next free name, complete, and
    // nothing outside the folder is written or made.
    void nameHeldByOtherThanAResult_data()
    {
        QTest::addColumn<QString>("holder");
        QTest::newRow("dangling link") << "dangling link";
        QTest::newRow("link to a file outside") << "link to a file outside";
        QTest::newRow("link into a missing folder") << "link into a missing folder";
        QTest::newRow("folder") << "folder";
        QTest::newRow("FIFO") << "FIFO";
    }
    void nameHeldByOtherThanAResult()
    {
        QFETCH(QString, holder);
        QTemporaryDir tmp;
        const QString folder = tmp.path() + QStringLiteral("/test/");
        const QString outside = tmp.path() + QStringLiteral("/outside/");
        QVERIFY(QDir().mkpath(folder));
        QVERIFY(QDir().mkpath(outside));
        const QByteArray outsideBytes = "someone else's file\r\n";
        fixtures::writeBytes(outside + QStringLiteral("victim"), outsideBytes);

        const QString name = QStringLiteral("Знакомства_20090703140509.tnw");
        const QByteArray held = QFile::encodeName(folder + name);
        if (holder == QLatin1String("dangling link"))
            QVERIFY(QFile::link(outside + QStringLiteral("planted"), folder + name));
        else if (holder == QLatin1String("link to a file outside"))
            QVERIFY(QFile::link(outside + QStringLiteral("victim"), folder + name));
        else if (holder == QLatin1String("link into a missing folder"))
            QVERIFY(QFile::link(outside + QStringLiteral("missing/planted"), folder + name));
        else if (holder == QLatin1String("folder"))
            QVERIFY(QDir().mkdir(folder + name));
        else
            QCOMPARE(::mkfifo(held.constData(), 0644), 0);

        const QString before = entryKind(folder + name);
        TakingSession s(folder, 3);
        takeTest(s, {2, 0, 1});
        const QString next = QStringLiteral("Знакомства_20090703140509_2.tnw");
        QCOMPARE(s.pf.messageTexts(), QStringList());
        QCOMPARE(s.app.st.main.MainHtml, kEndHead + kSaved + kEndLink);
        QCOMPARE(s.app.st.CardFields[0].FileName, next);
        QCOMPARE(readBytes(folder + next),
                 cp1251Lines({QStringLiteral("[kartochka]"), QStringLiteral("Анна Петрова"), QStringLiteral(" 1985"),
                              QStringLiteral(" 0"), QStringLiteral("201"), QStringLiteral(" 1"), QString(),
                              QString()}));
        // The holder is as it was, and outside the folder nothing changed.
        QCOMPARE(entryKind(folder + name), before);
        QCOMPARE(QDir(outside).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot),
                 QStringList{QStringLiteral("victim")});
        QCOMPARE(readBytes(outside + QStringLiteral("victim")), outsideBytes);
        QCOMPARE(fixtures::folderEntries(folder).size(), 2);
    }

    void writeProtectedFolder()
    {
        QTemporaryDir tmp;
        const QString folder = tmp.path() + QStringLiteral("/locked/");
        QDir().mkpath(folder);
        fixtures::setReadOnly(folder, true);
        TakingSession s(folder, 2);
        takeTest(s, {1, 0});
        fixtures::setReadOnly(folder, false);
        QCOMPARE(s.pf.messageTexts(),
                 QStringList{QStringLiteral("Файл \"") + folder +
                             QStringLiteral("Знакомства_20090703140509.tnw\" защищён от записи.")});
        QCOMPARE(s.app.st.main.MainHtml, kEndHead + kEndLink);
        QCOMPARE(s.app.st.main.Phase, TestPhase::Finished);
        QVERIFY(personFiles(folder).isEmpty());
    }

    void nextPersonStartsClean()
    {
        QTemporaryDir tmp;
        TakingSession s(tmp.path() + QLatin1Char('/'), 3);
        takeTest(s, {2, 1, 0});
        s.pf.messageAnswers.push_back(MsgAnswer::Yes);
        frmForma_MenuClick(s.app, QStringLiteral("FileSnachala"));
        QCOMPARE(s.app.st.main.Phase, TestPhase::StartPage);
        s.name = QStringLiteral("Пётр");
        s.woman = false;
        VyborOtveta(s.app, QStringLiteral("http://tnd.s.ru/"));
        QCOMPARE(s.app.st.main.CurrentQuestion, 1);
        QVERIFY(!s.app.st.main.MainHtml.contains(QStringLiteral("znak1.jpg")));
        QCOMPARE(s.app.st.main.MainHtml.count(QStringLiteral("znak0.jpg")), 3);
        // Going forward without answering shows no earlier choice either.
        for (int q = 2; q <= 3; ++q) {
            Dalee(s.app);
            QVERIFY(!s.app.st.main.MainHtml.contains(QStringLiteral("znak1.jpg")));
        }
        QCOMPARE(s.app.st.CardFields[0].Pol, 0);
        QCOMPARE(s.app.st.CardFields[0].NameFamiliya, QStringLiteral("Пётр"));
    }
};

QTEST_GUILESS_MAIN(TestEndTest)
#include "tst_endtest.moc"
