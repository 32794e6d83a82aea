#include "../people/PeopleFolder.h"

#include "PdfWriter.h"

#include "engines/Desk.h"
#include "engines/Erasure.h"
#include "engines/Evening.h"
#include "engines/FolderStore.h"
#include "engines/PersonData.h"
#include "ground/HeadlessPlatform.h"
#include "screens/matching/Evening.h"
#include "screens/views/FrmHTML.h"
#include "shell/MainCommands.h"

#include <QGuiApplication>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>

namespace {

// A desktop that writes real PDF files.
struct PdfPlatform : ScriptedPlatform {
    bool writePdf(const QString& html, const QString& path) override { return pdf::Write(html, path); }
};

struct EveningFolder : PeopleFolder {
    EveningFolder()
    {
        pf.clock = QDateTime(QDate(2026, 12, 11), QTime(19, 0));
        pf.onModal[WindowId::Html] = [this] { frmHTML_Timer(app); };
        app.st.test.TestFilePath = path(QStringLiteral("Вечер.tnd"));
        fixtures::writeBytes(app.st.test.TestFilePath, "x");
    }
    std::unique_ptr<store::FolderStore> store() const { return store::Open(app.st.folders.WorkFolder); }
};

// The text of pages `first`..`last` of a PDF.
QString pdfText(const QString& path, int first = 0, int last = 0)
{
    QProcess p;
    QStringList args{QStringLiteral("-enc"), QStringLiteral("UTF-8")};
    if (first > 0)
        args << QStringLiteral("-f") << QString::number(first) << QStringLiteral("-l") << QString::number(last);
    p.start(QStringLiteral("pdftotext"), args << path << QStringLiteral("-"));
    p.waitForFinished(30000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

int pdfPages(const QString& path)
{
    QProcess p;
    p.start(QStringLiteral("pdfinfo"), {path});
    p.waitForFinished(30000);
    const auto m = QRegularExpression(QStringLiteral("Pages:\\s+(\\d+)")).match(QString::fromUtf8(p.readAllStandardOutput()));
    return m.hasMatch() ? m.captured(1).toInt() : -1;
}

// One desk's ticks, as another program: every guest of `sex` ticks every
// guest of the other.
int tickAll(const QString& folder, const QString& sex)
{
    const auto s = store::Open(folder);
    const std::optional<evening::Evening> e = evening::Read(*s, QStringLiteral("вечер"));
    if (!e)
        return 2;
    const bool women = sex == QLatin1String("w");
    for (const QString& from : women ? e->women() : e->men())
        for (const QString& to : women ? e->men() : e->women())
            if (evening::SetTick(*s, QStringLiteral("вечер"), from, to, true) != store::Result::Ok)
                return 1;
    return 0;
}

}  // namespace

class TestEvening : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty()) {
            if (qEnvironmentVariableIsSet("CI"))
                QFAIL("pdftotext (poppler-utils) is missing");
            QSKIP("pdftotext (poppler-utils) is not installed");
        }
    }

    // Every man meets every woman exactly once, nobody sits twice in a round,
    // and whoever has no table pauses.
    void rotation_data()
    {
        QTest::addColumn<int>("men");
        QTest::addColumn<int>("women");
        QTest::newRow("6+6") << 6 << 6;
        QTest::newRow("5+7") << 5 << 7;
        QTest::newRow("7+5") << 7 << 5;
        QTest::newRow("1+0") << 1 << 0;
        QTest::newRow("0+3") << 0 << 3;
        QTest::newRow("0+0") << 0 << 0;
        QTest::newRow("1+1") << 1 << 1;
        QTest::newRow("2+9") << 2 << 9;
    }
    void rotation()
    {
        QFETCH(int, men);
        QFETCH(int, women);
        const QList<evening::Round> rounds = evening::Rotation(men, women);
        QCOMPARE(rounds.size(), men > 0 && women > 0 ? std::max(men, women) : 0);
        QList<int> met(men * women, 0);
        for (const evening::Round& r : rounds) {
            QCOMPARE(r.tables.size(), std::min(men, women));
            QList<int> manSeen(men, 0), womanSeen(women, 0);
            for (const evening::Table& t : r.tables) {
                QVERIFY(t.man >= 0 && t.man < men && t.woman >= 0 && t.woman < women);
                ++manSeen[t.man];
                ++womanSeen[t.woman];
                ++met[t.man * women + t.woman];
            }
            for (const int m : r.pausedMen)
                ++manSeen[m];
            for (const int w : r.pausedWomen)
                ++womanSeen[w];
            QCOMPARE(manSeen, QList<int>(men, 1));
            QCOMPARE(womanSeen, QList<int>(women, 1));
            QCOMPARE(r.pausedMen.size() + r.pausedWomen.size(), std::abs(men - women));
        }
        QCOMPARE(met, QList<int>(men * women, rounds.isEmpty() ? 0 : 1));
    }

    // Ticks kept in the store, with any name; only mutual ones come out;
    // a tick needs two guests of different sex; a guest who leaves takes
    // their ticks along.
    void mutualTicksOnly()
    {
        EveningFolder f;
        const auto s = f.store();
        const QString name = QStringLiteral("Пятница\t13%");
        const QString anna = QStringLiteral("Анна\tО'Нил 100%.tnw"), vera = QStringLiteral("vera.tnw"),
                      boris = QStringLiteral("Борис.tnm"), gleb = QStringLiteral("gleb.tnm");
        for (const QString& g : {anna, vera, boris, gleb})
            QCOMPARE(evening::SetGuest(*s, name, g, true), store::Result::Ok);
        QCOMPARE(evening::SetTick(*s, name, anna, boris, true), store::Result::Ok);
        QCOMPARE(evening::SetTick(*s, name, boris, anna, true), store::Result::Ok);
        QCOMPARE(evening::SetTick(*s, name, vera, boris, true), store::Result::Ok);  // Борис did not tick Вера
        QCOMPARE(evening::SetTick(*s, name, gleb, vera, true), store::Result::Ok);   // nor Вера Глеб
        QCOMPARE(evening::SetTick(*s, name, gleb, anna, true), store::Result::Ok);
        QCOMPARE(evening::SetTick(*s, name, anna, gleb, true), store::Result::Ok);
        QCOMPARE(evening::SetTick(*s, name, anna, gleb, false), store::Result::Ok);  // changed her mind
        QCOMPARE(evening::SetTick(*s, name, anna, vera, true), store::Result::Failed);
        QCOMPARE(evening::SetTick(*s, name, anna, QStringLiteral("x.tnm"), true), store::Result::Failed);

        evening::Evening e = *evening::Read(*s, name);
        QCOMPARE(evening::Names(*s), QStringList{name});
        QCOMPARE(e.guests, (QStringList{anna, vera, boris, gleb}));
        QCOMPARE(evening::Mutual(e, anna), QStringList{boris});
        QCOMPARE(evening::Mutual(e, boris), QStringList{anna});
        QCOMPARE(evening::Mutual(e, vera), QStringList{});
        QCOMPARE(evening::Mutual(e, gleb), QStringList{});

        QCOMPARE(evening::SetGuest(*s, name, boris, false), store::Result::Ok);
        e = *evening::Read(*s, name);
        QCOMPARE(e.guests, (QStringList{anna, vera, gleb}));
        QCOMPARE(e.ticks, (QSet<std::pair<QString, QString>>{{gleb, vera}, {gleb, anna}}));
    }

    // Two desks entering ticks at the same time keep every tick.
    void twoDesksTickAtOnce()
    {
        EveningFolder f;
        const auto s = f.store();
        for (int i = 0; i < 8; ++i) {
            QCOMPARE(evening::SetGuest(*s, QStringLiteral("вечер"), QStringLiteral("m%1.tnm").arg(i), true), store::Result::Ok);
            QCOMPARE(evening::SetGuest(*s, QStringLiteral("вечер"), QStringLiteral("w%1.tnw").arg(i), true), store::Result::Ok);
        }
        const QString self = QCoreApplication::applicationFilePath();
        QProcess a, b;
        a.start(self, {QStringLiteral("--tick-all"), f.app.st.folders.WorkFolder, QStringLiteral("m")});
        b.start(self, {QStringLiteral("--tick-all"), f.app.st.folders.WorkFolder, QStringLiteral("w")});
        QVERIFY(a.waitForFinished(240000) && b.waitForFinished(240000));
        QCOMPARE(a.exitCode(), 0);
        QCOMPARE(b.exitCode(), 0);
        const evening::Evening e = *evening::Read(*s, QStringLiteral("вечер"));
        QCOMPARE(e.ticks.size(), 2 * 8 * 8);
        for (const QString& g : e.guests)
            QCOMPARE(evening::Mutual(e, g).size(), 8);
    }

    // The whole evening through its pages: guests ticked, the schedule, the
    // ticks' grid, the results and both PDFs; names are shown as typed.
    void pagesAndPapers()
    {
        EveningFolder f;
        PdfPlatform pdfs;
        App app(pdfs);
        app.st.folders = f.app.st.folders;
        app.st.test.TestFilePath = f.app.st.test.TestFilePath;
        pdfs.clock = f.pf.clock;
        pdfs.onModal[WindowId::Html] = [&app] { frmHTML_Timer(app); };
        const QStringList details{"1,80", "80", "", "", "", "", "", "", ""};
        const auto withAddress = [&](const QString& address) {
            QStringList d = details;
            d[7] = address;
            return d;
        };
        f.person(QStringLiteral("a.tnm"), QStringLiteral("Антон <b>"), 1980, {}, withAddress(QStringLiteral("тел. 111")));
        f.person(QStringLiteral("b.tnm"), QStringLiteral("Борис"), 1981, {}, withAddress(QStringLiteral("тел. 222")));
        f.person(QStringLiteral("c.tnm"), QStringLiteral("Виктор"), 1982);
        f.person(QStringLiteral("d.tnw"), QStringLiteral("Дарья"), 1990, {}, withAddress(QStringLiteral("Москва, <i>3</i>")));
        f.person(QStringLiteral("e.tnw"), QStringLiteral("Елена"), 1991, {}, withAddress(QStringLiteral("тел. 555")));
        QCOMPARE(desk::WriteStatus(*f.store(), QStringLiteral("c.tnm"), desk::Status::Archived), store::Result::Ok);

        const auto page = [&] { return app.frmHTML.usrWebHtml1.text; };
        const auto click = [&](const QString& code) { VyborKartochki(app, Command(code) + QLatin1Char('/')); };
        const auto linkTo = [&](const QString& code, const QString& text) {
            const QRegularExpression a(QStringLiteral("<a href='http://tnd\\.") + code +
                                       QStringLiteral("(\\d+)\\.ru'>([^<]*)</a>"));
            for (auto it = a.globalMatch(page()); it.hasNext();) {
                const auto m = it.next();
                if (m.captured(2).contains(text))
                    return m.captured(1).toInt();
            }
            return -1;
        };

        frmForma_MenuClick(app, app.frmForma.KartotekaVecher.name);
        QCOMPARE(app.st.list.Mode, HtmlWindowMode::Evening);
        QCOMPARE(app.frmHTML.caption, QStringLiteral("Вечер знакомств"));
        QVERIFY(page().contains(QStringLiteral("Вечер знакомств «2026-12-11»")));
        QVERIFY(page().contains(QStringLiteral("Антон &lt;b&gt;")));
        QVERIFY2(!page().contains(QStringLiteral("Виктор")), "an archived card is no guest");
        for (const QString& name : {QStringLiteral("Антон"), QStringLiteral("Борис"), QStringLiteral("Дарья"),
                                    QStringLiteral("Елена")})
            click(QStringLiteral("u") + QString::number(linkTo(QStringLiteral("u"), name)));
        QVERIFY(page().contains(QStringLiteral("Участников: 4 (мужчин: 2, женщин: 2).")));
        click(QStringLiteral("u") + QString::number(linkTo(QStringLiteral("u"), QStringLiteral("Борис"))));  // and back
        click(QStringLiteral("u") + QString::number(linkTo(QStringLiteral("u"), QStringLiteral("Борис"))));
        QCOMPARE(evening::Read(*f.store(), QStringLiteral("2026-12-11"))->guests.size(), 4);

        click(QStringLiteral("g1"));
        QVERIFY(page().contains(QStringLiteral("Раундов: 2, столов: 2.")));
        QVERIFY(page().contains(QStringLiteral("<td>Антон &lt;b&gt;</td><td>Дарья</td>")));
        const QString folder = f.app.st.folders.WorkFolder;
        pdfs.fileAnswers.push_back(folder + QStringLiteral("расписание"));
        click(QStringLiteral("p"));
        QCOMPARE(pdfs.fileDialogs.last().suggestedName, QStringLiteral("Вечер 2026-12-11 расписание.pdf"));
        const QString schedule = pdfText(folder + QStringLiteral("расписание.pdf")).simplified();
        QVERIFY2(schedule.contains(QStringLiteral("Раунд 1 Стол Мужчина Женщина 1 Антон <b> Дарья 2 Борис Елена")),
                 qPrintable(schedule));
        QVERIFY2(schedule.contains(QStringLiteral("Раунд 2 Стол Мужчина Женщина 1 Антон <b> Елена 2 Борис Дарья")),
                 qPrintable(schedule));

        // Антон and Дарья tick each other, Борис ticks Елена alone.
        click(QStringLiteral("g2"));
        const evening::Evening e = *evening::Read(*f.store(), QStringLiteral("2026-12-11"));
        const auto tick = [&](const QString& from, const QString& to) {
            click(QStringLiteral("k") + QString::number(e.guests.indexOf(from) * evening::kMaxGuests + e.guests.indexOf(to)));
        };
        tick(QStringLiteral("a.tnm"), QStringLiteral("d.tnw"));
        tick(QStringLiteral("d.tnw"), QStringLiteral("a.tnm"));
        tick(QStringLiteral("b.tnm"), QStringLiteral("e.tnw"));
        tick(QStringLiteral("b.tnm"), QStringLiteral("d.tnw"));
        tick(QStringLiteral("b.tnm"), QStringLiteral("d.tnw"));  // taken back
        QCOMPARE(page().count(QStringLiteral("&#10004;")), 3);
        QCOMPARE(evening::Read(*f.store(), QStringLiteral("2026-12-11"))->ticks.size(), 3);

        click(QStringLiteral("g3"));
        QVERIFY(page().contains(QStringLiteral("<td>Дарья</td><td>Москва, &lt;i&gt;3&lt;/i&gt;</td>")));
        QVERIFY(page().contains(QStringLiteral("<td>Антон &lt;b&gt;</td><td>тел. 111</td>")));
        QVERIFY2(!page().contains(QStringLiteral("тел. 555")), "Елена did not tick Борис");
        pdfs.fileAnswers.push_back(folder + QStringLiteral("итоги.pdf"));
        click(QStringLiteral("i"));
        const QString results = folder + QStringLiteral("итоги.pdf");
        // A page for each guest, men first, with only their mutual ticks.
        QCOMPARE(pdfPages(results), 4);
        const QString anton = pdfText(results, 1, 1).simplified();
        QVERIFY2(anton.contains(QStringLiteral("Антон <b> Взаимные симпатии: 1")) && anton.contains(QStringLiteral("Дарья")) &&
                     anton.contains(QStringLiteral("Москва, <i>3</i>")),
                 qPrintable(anton));
        const QString boris = pdfText(results, 2, 2).simplified();
        QVERIFY2(boris.contains(QStringLiteral("Вечер знакомств «2026-12-11» Борис Взаимных отметок нет.")), qPrintable(boris));
        QVERIFY2(!boris.contains(QStringLiteral("Елена")), qPrintable(boris));
        const QString darya = pdfText(results, 3, 3).simplified();
        QVERIFY2(darya.startsWith(QStringLiteral("Вечер знакомств «2026-12-11» Дарья")) && darya.contains(QStringLiteral("Антон <b>")) &&
                     darya.contains(QStringLiteral("тел. 111")),
                 qPrintable(darya));
        QVERIFY(pdfText(results, 4, 4).simplified().contains(QStringLiteral("Елена Взаимных отметок нет.")));

        // A link the page shown does not carry does nothing.
        click(QStringLiteral("u0"));
        QCOMPARE(evening::Read(*f.store(), QStringLiteral("2026-12-11"))->guests.size(), 4);
    }

    // "Составить пары": every man with one woman so that the pairs together
    // fit best; a pair the desk excludes is never made; the surplus is listed.
    void pairsOfTheEvening_data()
    {
        QTest::addColumn<bool>("never");   // Антон and Дарья are never to be offered
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<QString>("unpaired");
        // Антон answers 012, Борис 210; Дарья 012, Елена 210, Жанна 011.
        QTest::newRow("best total") << false
                                    << QStringList{"<td>Антон</td><td>Дарья</td><td align='right'>100%</td><td align='right'>3</td>",
                                                   "<td>Борис</td><td>Елена</td><td align='right'>100%</td>"}
                                    << QStringLiteral("Без пары: Жанна.");
        QTest::newRow("excluded pair") << true
                                       << QStringList{"<td>Антон</td><td>Жанна</td><td align='right'>66%</td>",
                                                      "<td>Борис</td><td>Елена</td><td align='right'>100%</td>"}
                                       << QStringLiteral("Без пары: Дарья.");
    }
    void pairsOfTheEvening()
    {
        QFETCH(bool, never);
        QFETCH(QStringList, rows);
        QFETCH(QString, unpaired);
        EveningFolder f;
        f.app.st.test.QuestionCount = 3;
        f.app.st.test.Questions.resizeFresh(3);
        for (int q = 1; q <= 3; ++q)
            f.app.st.test.Questions[q].CountOtvetov = 2;
        const auto add = [&](const QString& file, const QString& name, const QString& answers, int sex) {
            fixtures::writeBytes(f.path(file), fixtures::cp1251Lines({QStringLiteral("[kartochka]"), name, QStringLiteral(" 1990"),
                                                                      QStringLiteral(" 0"), answers, QLatin1Char(' ') + QString::number(sex),
                                                                      QString(), QString()}));
        };
        add(QStringLiteral("a.tnm"), QStringLiteral("Антон"), QStringLiteral("012"), 0);
        add(QStringLiteral("b.tnm"), QStringLiteral("Борис"), QStringLiteral("210"), 0);
        add(QStringLiteral("d.tnw"), QStringLiteral("Дарья"), QStringLiteral("012"), 1);
        add(QStringLiteral("e.tnw"), QStringLiteral("Елена"), QStringLiteral("210"), 1);
        add(QStringLiteral("z.tnw"), QStringLiteral("Жанна"), QStringLiteral("011"), 1);
        const auto s = f.store();
        for (const QString& g : {QStringLiteral("a.tnm"), QStringLiteral("b.tnm"), QStringLiteral("d.tnw"),
                                 QStringLiteral("e.tnw"), QStringLiteral("z.tnw")})
            QCOMPARE(evening::SetGuest(*s, QStringLiteral("2026-12-11"), g, true), store::Result::Ok);
        if (never)
            QCOMPARE(desk::NeverOffer(*s, QStringLiteral("a.tnm"), QStringLiteral("d.tnw")), store::Result::Ok);

        frmForma_MenuClick(f.app, f.app.frmForma.KartotekaVecher.name);
        f.click(QStringLiteral("g4"));
        for (const QString& row : rows)
            QVERIFY2(f.page().contains(row), qPrintable(row + QStringLiteral("\n") + f.page()));
        QVERIFY2(f.page().contains(unpaired), qPrintable(f.page()));
        QCOMPARE(f.page().count(QStringLiteral("%</td>")), 2);
        // The switch is shown as it stands and turns.
        QVERIFY(f.page().contains(QStringLiteral("[&nbsp;&nbsp;] Только взаимно подходящие")));
        f.click(QStringLiteral("m"));
        QVERIFY(f.page().contains(QStringLiteral("[x] Только взаимно подходящие")));
    }

    // A guest's erasure takes them and their ticks out of the evening; their
    // data lists the evening.
    void erasureTakesTheGuestOut()
    {
        EveningFolder f;
        f.person(QStringLiteral("a.tnm"), QStringLiteral("Антон"), 1980);
        f.person(QStringLiteral("d.tnw"), QStringLiteral("Дарья"), 1990);
        f.person(QStringLiteral("e.tnw"), QStringLiteral("Елена"), 1991);
        const auto s = f.store();
        const QString name = QStringLiteral("вечер");
        for (const QString& g : {QStringLiteral("a.tnm"), QStringLiteral("d.tnw"), QStringLiteral("e.tnw")})
            QCOMPARE(evening::SetGuest(*s, name, g, true), store::Result::Ok);
        QCOMPARE(evening::SetTick(*s, name, QStringLiteral("a.tnm"), QStringLiteral("d.tnw"), true), store::Result::Ok);
        QCOMPARE(evening::SetTick(*s, name, QStringLiteral("d.tnw"), QStringLiteral("a.tnm"), true), store::Result::Ok);
        QCOMPARE(evening::SetTick(*s, name, QStringLiteral("a.tnm"), QStringLiteral("e.tnw"), true), store::Result::Ok);

        persondata::Bundle bundle;
        QString error;
        QVERIFY(persondata::Gather(f.app.st.folders.WorkFolder, QStringLiteral("d.tnw"), nullptr, bundle, error));
        QStringList kinds;
        for (const persondata::StoredItem& item : bundle.stored)
            if (item.kind == evening::kKind) {
                kinds << item.kind;
                QVERIFY2(!item.bytes.contains("e.tnw"), item.bytes.constData());  // not Елена's tick
            }
        QCOMPARE(kinds, QStringList{evening::kKind});

        HeadlessPlatform platform;
        erasure::Request request;
        request.folder = f.app.st.folders.WorkFolder;
        request.personFile = QStringLiteral("d.tnw");
        request.reason = QStringLiteral("Отзыв согласия");
        QCOMPARE(erasure::Erase(platform, request).status, erasure::Status::Done);
        const evening::Evening e = *evening::Read(*s, name);
        QCOMPARE(e.guests, (QStringList{QStringLiteral("a.tnm"), QStringLiteral("e.tnw")}));
        QCOMPARE(e.ticks, (QSet<std::pair<QString, QString>>{{QStringLiteral("a.tnm"), QStringLiteral("e.tnw")}}));
        QVERIFY(!s->read(evening::kKind, evening::KeyOfName(name))->bytes.contains("d.tnw"));
    }
};

int main(int argc, char** argv)
{
    if (argc == 4 && QByteArray(argv[1]) == "--tick-all") {
        QCoreApplication app(argc, argv);
        return tickAll(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]));
    }
    QGuiApplication app(argc, argv);
    TestEvening test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_evening.moc"
