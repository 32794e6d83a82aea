// How long a folder keeps its cards: the term in the folder's store (and a
// race with another desk), the dates of results, the page of cards past the
// term, marking its rows, and erasing the marked ones each with its act.
#include "Fixtures.h"
#include "ScriptedPlatform.h"

#include "engines/AutoBackup.h"
#include "engines/Erasure.h"
#include "engines/FolderStore.h"
#include "engines/Journal.h"
#include "engines/PersonFile.h"
#include "engines/Retention.h"
#include "ground/App.h"
#include "ground/windows/HtmlView.h"
#include "screens/document/FileCommands.h"
#include "screens/document/FrmPassW.h"
#include "screens/records/Retention.h"
#include "shell/ListCommands.h"
#include "shell/MainCommands.h"
#include "shell/Startup.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <functional>

namespace {

// The desk of the operator; `beforeNumber` is another desk acting while a
// number is asked for.
class Platform2 : public ScriptedPlatform {
public:
    std::function<void()> beforeNumber;
    std::optional<int> numberDialog(const QString& t, const QString& l, int v, int lo, int hi) override
    {
        if (beforeNumber)
            beforeNumber();
        return ScriptedPlatform::numberDialog(t, l, v, lo, hi);
    }
};

const QDateTime kToday(QDate(2026, 3, 7), QTime(12, 0));

// A card's file name by the file name rule: year, day, month, time.
QString stamped(const QDateTime& at, const char* extension = ".tnw", const QString& tail = {})
{
    return QStringLiteral("Знакомства_") + at.toString(QStringLiteral("yyyyddMMhhmmss")) + tail + QLatin1String(extension);
}

// The demo test (password "demo") alone in a folder of its own, open, and
// the cards each test adds.
struct Desk {
    QTemporaryDir tmp;
    Platform2 pf;
    App app{pf};
    QString folder = tmp.path() + QStringLiteral("/Знакомства/");
    QString program = tmp.path() + QStringLiteral("/программа/");
    QString data = tmp.path() + QStringLiteral("/данные");

    Desk()
    {
        QDir().mkpath(folder);
        QDir().mkpath(program);
        QFile::copy(qEnvironmentVariable("TANDEMO_SOURCE") + QStringLiteral("/examples/Знакомства.tnd"),
                    folder + QStringLiteral("Знакомства.tnd"));
        pf.exeFolder = program;
        pf.userData = data;
        pf.clock = kToday;
        Main(app);
        OpenTest(app, folder + QStringLiteral("Знакомства.tnd"));
    }
    void card(const QString& file, const QString& name, int year, const QString& password = QStringLiteral("demo"))
    {
        Kartochka card;
        card.NameFamiliya = name;
        card.DataRogdeniya = year;
        card.Otvety = QStringLiteral("012012012012");
        card.Pol = file.endsWith(QStringLiteral(".tnw")) ? 1 : 0;
        card.Parol = password;
        fixtures::writeBytes(folder + file, PersonFileContent(card));
    }
    void term(int years)
    {
        auto store = store::Open(folder);
        QCOMPARE(retention::WriteSetting(*store, years, *retention::ReadSetting(*store)), store::Result::Ok);
    }
    int storedTerm() { return retention::ReadSetting(*store::Open(folder))->years; }
    // "Истёк срок хранения": the window comes up and its scan runs.
    void openPage()
    {
        pf.onModal[WindowId::Html] = [this] { frmHTML_Timer(app); };
        frmForma_MenuClick(app, QStringLiteral("KartotekaIstek"));
    }
    QStringList rows() const
    {
        QStringList files;
        for (const RetentionRow& row : app.st.retention.Rows)
            files << row.FileName;
        return files;
    }
    void link(const QString& code) { VyborKartochki(app, Command(code)); }
    QString page() const { return app.frmHTML.usrWebHtml1.text; }
    void typePassword(const QString& typed)
    {
        pf.onModal[WindowId::PassW] = [this, typed] {
            app.frmPassW.TPW.text = typed;
            frmPassW_TPW_Change(app);
            frmPassW_OK_Click(app);
            if (app.frmPassW.visible)
                frmPassW_NO_Click(app);
        };
    }
    QStringList acts() const { return QDir(folder + erasure::kActsFolder).entryList({QStringLiteral("*.txt")}, QDir::Files, QDir::Name); }
    QList<journal::Record> erasedRecords()
    {
        QList<journal::Record> erased;
        for (const journal::Record& r : journal::Read(*store::Open(folder)))
            if (r.action == erasure::kErased)
                erased << r;
        return erased;
    }
};

// Three cards past a ten-year term and one within it.
void threeOld(Desk& desk)
{
    desk.term(10);
    desk.card(stamped(kToday.addYears(-12)), QStringLiteral("Вера"), 1970);
    desk.card(stamped(kToday.addYears(-11), ".tnm"), QStringLiteral("Иван"), 1968);
    desk.card(stamped(kToday.addYears(-10).addDays(-3)), QStringLiteral("Ольга"), 1975);
    desk.card(stamped(kToday.addYears(-1)), QStringLiteral("Нина"), 1990);
}

}  // namespace

class TestRetention : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void resultTimeFromTheFileName_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QDateTime>("time");
        const QDateTime march7(QDate(2009, 3, 7), QTime(14, 5, 9));
        QTest::newRow("year, day, month") << QStringLiteral("Знакомства_20090703140509.tnw") << march7;
        QTest::newRow("a taken name's number") << QStringLiteral("Знакомства_20090703140509_2.tnm") << march7;
        QTest::newRow("upper-case extension") << QStringLiteral("Знакомства_20090703140509.TNW") << march7;
        QTest::newRow("underscores in the test's name") << QStringLiteral("Клуб_2_20090703140509.tnw") << march7;
        QTest::newRow("no month 13") << QStringLiteral("Знакомства_20090713140509.tnw") << QDateTime();
        QTest::newRow("no stamp") << QStringLiteral("Анна.tnw") << QDateTime();
        QTest::newRow("thirteen digits") << QStringLiteral("Знакомства_2009070314050.tnw") << QDateTime();
    }
    void resultTimeFromTheFileName()
    {
        QFETCH(QString, file);
        QFETCH(QDateTime, time);
        const auto read = retention::StampTime(file);
        QCOMPARE(read.value_or(QDateTime()), time);
    }

    void termRunsOutOnItsAnniversary_data()
    {
        QTest::addColumn<QDate>("saved");
        QTest::addColumn<int>("years");
        QTest::addColumn<bool>("expired");
        QTest::newRow("exactly ten years") << QDate(2016, 3, 7) << 10 << true;
        QTest::newRow("a day short") << QDate(2016, 3, 8) << 10 << false;
        QTest::newRow("29 February: its anniversary is the 28th") << QDate(2016, 2, 29) << 10 << true;
        QTest::newRow("no term") << QDate(1990, 1, 1) << 0 << false;
        QTest::newRow("no date") << QDate() << 10 << false;
    }
    void termRunsOutOnItsAnniversary()
    {
        QFETCH(QDate, saved);
        QFETCH(int, years);
        QFETCH(bool, expired);
        QCOMPARE(retention::Expired(saved, years, QDate(2026, 3, 7)), expired);
        QVERIFY(!retention::Expired(saved, years, QDate(2026, 2, 27)));
    }

    // The term is the folder's, in its store: set from the menu, read by
    // every desk; a change racing another desk's is refused and the user told.
    void termFromTheMenuAndAnotherDesksChange()
    {
        Desk desk;
        QCOMPARE(desk.storedTerm(), 0);
        desk.pf.numberAnswers = {5};
        frmForma_MenuClick(desk.app, QStringLiteral("KartotekaSrok"));
        QCOMPARE(desk.storedTerm(), 5);
        QVERIFY(desk.pf.messages.isEmpty());

        desk.pf.beforeNumber = [&desk] { desk.term(3); };  // the other desk, while this one asks
        desk.pf.numberAnswers = {7};
        frmForma_MenuClick(desk.app, QStringLiteral("KartotekaSrok"));
        QCOMPARE(desk.storedTerm(), 3);
        QCOMPARE(desk.pf.messages.size(), 1);
        QCOMPARE(desk.pf.messages[0].icon, MsgIcon::Critical);
        QVERIFY2(desk.pf.messages[0].text.contains(QStringLiteral("другом рабочем месте (теперь: 3 года)")),
                 qPrintable(desk.pf.messages[0].text));

        desk.pf.beforeNumber = nullptr;
        desk.pf.numberAnswers = {std::nullopt};
        frmForma_MenuClick(desk.app, QStringLiteral("KartotekaSrok"));
        QCOMPARE(desk.storedTerm(), 3);
    }

    void withoutATermThePageSaysSo()
    {
        Desk desk;
        desk.card(stamped(kToday.addYears(-50)), QStringLiteral("Вера"), 1950);
        desk.openPage();
        QCOMPARE(desk.app.st.list.Mode, HtmlWindowMode::Retention);
        QCOMPARE(desk.app.frmHTML.caption, QStringLiteral("Истёк срок хранения"));
        QVERIFY(desk.rows().isEmpty());
        QVERIFY2(desk.page().contains(QStringLiteral("Срок хранения анкет для этой папки не задан")), qPrintable(desk.page()));
    }

    // The cards past the term by their result's date (the file name's stamp,
    // else the file's time), oldest first, a card exactly at the term's end
    // included; foreign files and younger cards are not.
    void thePageListsTheCardsPastTheTermOldestFirst()
    {
        Desk desk;
        desk.term(10);
        const QString exact = stamped(kToday.addYears(-10));
        const QString young = stamped(kToday.addYears(-10).addDays(1), ".tnm");
        const QString oldest = stamped(kToday.addYears(-30), ".tnm", QStringLiteral("_2"));
        const QString byTime = QStringLiteral("Анна.tnw");
        const QString youngByTime = QStringLiteral("Борис.tnm");
        desk.card(exact, QStringLiteral("Вера <Ц>"), 1960);
        desk.card(young, QStringLiteral("Иван"), 1961);
        desk.card(oldest, QStringLiteral("Пётр"), 1940);
        desk.card(byTime, QStringLiteral("Анна"), 1950);
        desk.card(youngByTime, QStringLiteral("Борис"), 1980);
        QFile anna(desk.folder + byTime);
        QVERIFY(anna.open(QIODevice::ReadWrite));
        QVERIFY(anna.setFileTime(kToday.addYears(-20), QFileDevice::FileModificationTime));
        anna.close();
        fixtures::writeBytes(desk.folder + stamped(kToday.addYears(-40)), "не анкета\r\n");

        desk.openPage();
        QCOMPARE(desk.rows(), (QStringList{oldest, byTime, exact}));
        const QString page = desk.page();
        QVERIFY2(page.contains(QStringLiteral("Анкеты хранятся 10 лет. Срок истёк у анкет: 3, отмечено: 0.")), qPrintable(page));
        QVERIFY(page.contains(QStringLiteral("<td>Вера &lt;Ц&gt;</td><td>1960</td><td>07.03.2016</td>")));
        QVERIFY(page.contains(QStringLiteral("<td>Пётр</td><td>1940</td><td>07.03.1996</td>")));
        QVERIFY(!page.contains(QStringLiteral("Иван")));
    }

    void marking_data()
    {
        QTest::addColumn<QStringList>("links");
        QTest::addColumn<QList<bool>>("marked");
        QTest::newRow("one row") << QStringList{QStringLiteral("m1")} << QList<bool>{false, true, false};
        QTest::newRow("marked twice is unmarked") << QStringList{QStringLiteral("m1"), QStringLiteral("m1")}
                                                  << QList<bool>{false, false, false};
        QTest::newRow("all") << QStringList{QStringLiteral("a")} << QList<bool>{true, true, true};
        QTest::newRow("all, then one off") << QStringList{QStringLiteral("a"), QStringLiteral("m0")}
                                           << QList<bool>{false, true, true};
        QTest::newRow("all off") << QStringList{QStringLiteral("m2"), QStringLiteral("u")} << QList<bool>{false, false, false};
        QTest::newRow("no such row") << QStringList{QStringLiteral("m3"), QStringLiteral("m")} << QList<bool>{true, false, false};
    }
    void marking()
    {
        QFETCH(QStringList, links);
        QFETCH(QList<bool>, marked);
        Desk desk;
        threeOld(desk);
        desk.openPage();
        for (const QString& link : links)
            desk.link(link);
        QCOMPARE(desk.app.st.retention.Marked, marked);
        const int count = static_cast<int>(std::count(marked.begin(), marked.end(), true));
        QVERIFY(desk.page().contains(QStringLiteral("отмечено: ") + QString::number(count) + QLatin1Char('.')));
        QCOMPARE(desk.page().count(QStringLiteral("☑ снять")), count);
    }

    // Two erased with an act each (each act naming the automatic copy that
    // still holds the person), one whose password is not the test's passed
    // over and named; they leave the page, the rest of the folder stays.
    void erasingTheMarked()
    {
        Desk desk;
        threeOld(desk);
        const QString other = stamped(kToday.addYears(-10).addDays(-5), ".tnm");
        desk.card(other, QStringLiteral("Семён"), 1970, QStringLiteral("своё"));
        QCOMPARE(autobackup::Run(desk.folder, QStringLiteral("Знакомства"), {}, desk.data, kToday.addDays(-1)).status,
                 autobackup::Status::Made);
        desk.openPage();
        const QStringList rows = desk.rows();
        QCOMPARE(rows.size(), 4);
        const QString young = stamped(kToday.addYears(-1));
        const QByteArray youngBytes = fixtures::readBytes(desk.folder + young);
        desk.link(QStringLiteral("m0"));
        desk.link(QStringLiteral("m1"));
        desk.link(QStringLiteral("m2"));
        QCOMPARE(rows[2], other);
        desk.typePassword(QStringLiteral("demo"));
        desk.link(QStringLiteral("d"));

        QCOMPARE(desk.pf.modals.count(WindowId::PassW), 1);
        QCOMPARE(desk.pf.textDialogs.size(), 1);
        QCOMPARE(desk.pf.textDialogs[0].second, QStringLiteral("Истёк срок хранения"));
        QVERIFY(!QFile::exists(desk.folder + rows[0]));
        QVERIFY(!QFile::exists(desk.folder + rows[1]));
        QVERIFY(QFile::exists(desk.folder + rows[3]));
        QVERIFY(QFile::exists(desk.folder + other));
        QCOMPARE(fixtures::readBytes(desk.folder + young), youngBytes);
        QCOMPARE(desk.acts(), (QStringList{QStringLiteral("Акт 2026-0001.txt"), QStringLiteral("Акт 2026-0002.txt")}));
        const QString act = QString::fromUtf8(
            fixtures::readBytes(desk.folder + erasure::kActsFolder + QStringLiteral("/Акт 2026-0001.txt")));
        QVERIFY2(act.contains(QStringLiteral("Вера")) && act.contains(QStringLiteral("Истёк срок хранения")), qPrintable(act));
        QVERIFY2(act.contains(autobackup::ArchiveName(QStringLiteral("Знакомства"), kToday.addDays(-1))), qPrintable(act));
        QCOMPARE(desk.erasedRecords().size(), 2);
        QCOMPARE(desk.rows(), (QStringList{other, rows[3]}));
        QCOMPARE(desk.app.st.retention.Marked, (QList<bool>{true, false}));

        QCOMPARE(desk.pf.messages.size(), 1);
        const QString told = desk.pf.messages[0].text;
        QVERIFY2(told.startsWith(QStringLiteral("Удалено анкет: 2 из 3.\nАкты № 2026-0001 – 2026-0002")), qPrintable(told));
        QVERIFY2(told.contains(QStringLiteral("другой пароль, чем у теста: Семён (") + other + QLatin1Char(')')), qPrintable(told));
    }

    // "Отмена" stops between two cards: the erased are whole, with their act
    // and record; the rest untouched.
    void cancelInTheMiddleLeavesWholeErasures()
    {
        Desk desk;
        threeOld(desk);
        desk.openPage();
        const QStringList rows = desk.rows();
        QMap<QString, QByteArray> before;
        for (const QString& row : rows)
            before.insert(row, fixtures::readBytes(desk.folder + row));
        desk.link(QStringLiteral("a"));
        desk.typePassword(QStringLiteral("demo"));
        desk.pf.cancelAtStep = 2;
        desk.link(QStringLiteral("d"));
        QVERIFY(!QFile::exists(desk.folder + rows[0]));
        QCOMPARE(desk.acts(), QStringList{QStringLiteral("Акт 2026-0001.txt")});
        QCOMPARE(desk.erasedRecords().size(), 1);
        for (const QString& row : rows.mid(1))
            QCOMPARE(fixtures::readBytes(desk.folder + row), before[row]);
        QCOMPARE(desk.rows(), rows.mid(1));
        QVERIFY(!desk.pf.progressShown);
        QVERIFY2(desk.pf.messages.last().text.contains(QStringLiteral("Удаление остановлено")),
                 qPrintable(desk.pf.messages.last().text));
    }

    // A card another desk deleted since the scan is named and leaves the
    // page; the others are erased as usual.
    void aCardDeletedMeanwhileLeavesThePage()
    {
        Desk desk;
        threeOld(desk);
        desk.openPage();
        const QStringList rows = desk.rows();
        desk.link(QStringLiteral("a"));
        QVERIFY(QFile::remove(desk.folder + rows[1]));
        desk.typePassword(QStringLiteral("demo"));
        desk.link(QStringLiteral("d"));
        QVERIFY(desk.rows().isEmpty());
        QCOMPARE(desk.acts().size(), 2);
        const QString told = desk.pf.messages.last().text;
        QVERIFY2(told.startsWith(QStringLiteral("Удалено анкет: 2 из 3.")), qPrintable(told));
        QVERIFY2(told.contains(rows[1] + QStringLiteral("): ") + kCardDeletedElsewhere), qPrintable(told));
    }

    void nothingErasedWithoutPasswordOrReason_data()
    {
        QTest::addColumn<QString>("password");
        QTest::addColumn<std::optional<QString>>("reason");
        QTest::newRow("wrong password") << QStringLiteral("не тот") << std::optional<QString>(QStringLiteral("x"));
        QTest::newRow("reason cancelled") << QStringLiteral("demo") << std::optional<QString>();
        QTest::newRow("reason emptied") << QStringLiteral("demo") << std::optional<QString>(QStringLiteral("  "));
    }
    void nothingErasedWithoutPasswordOrReason()
    {
        QFETCH(QString, password);
        QFETCH(std::optional<QString>, reason);
        Desk desk;
        threeOld(desk);
        desk.openPage();
        desk.link(QStringLiteral("a"));
        desk.typePassword(password);
        desk.pf.textAnswers = {reason};
        const QStringList files = QDir(desk.folder).entryList(QDir::Files);
        desk.link(QStringLiteral("d"));
        QCOMPARE(QDir(desk.folder).entryList(QDir::Files), files);
        QVERIFY(desk.acts().isEmpty());
        QCOMPARE(desk.rows().size(), 3);
        QVERIFY(desk.pf.progressTitles.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestRetention)
#include "tst_retention.moc"
