#include "../people/PeopleFolder.h"

#include "screens/matching/PairPages.h"
#include "screens/people/CardPage.h"
#include "screens/people/PeopleList.h"
#include "engines/PersonFile.h"
#include "shell/VyborOtveta.h"
#include "ground/windows/HtmlView.h"
#include "screens/views/FrmHTML.h"
#include "shell/ListCommands.h"
#include "screens/taking/EndTest.h"
#include "screens/document/FrmPassW.h"
#include "engines/Desk.h"
#include "engines/FolderStore.h"

#include <QDir>

namespace {
const QString kHead = QStringLiteral(
    "<html><style type='text/css'>a:hover{color:red}</style><head><meta http-equiv='Content-Type' "
    "content='text/html; charset=windows-1251'></head><body topmargin=0  leftmargin=5 rightmargin=5 "
    "link='blue' vlink='blue'><center><font size='5'>");
const QString C = QStringLiteral("</b></td><td align='center'><b>");

QString anchor(const QString& code, const QString& text)
{
    return QStringLiteral("<a style='text-decoration: none' href='http://tnd.") + code + QStringLiteral(".ru'>") +
           text + QStringLiteral("</a>");
}

Kartochka card(const QString& name, int sex, const QString& answers, int details = 0)
{
    Kartochka c;
    c.NameFamiliya = name;
    c.Pol = sex;
    c.Otvety = answers;
    c.DataRogdeniya = 1996;
    c.Podrobnee = details;
    return c;
}

// A folder with the given candidates and the reference in card slot 1.
struct PairFolder : PeopleFolder {
    PairFolder(const Kartochka& reference)
    {
        pf.clock = QDateTime(QDate(2026, 12, 9), QTime(12, 0));
        app.st.CardFields[1] = reference;
        app.st.list.Mode = HtmlWindowMode::PairSearch;
    }
    void add(const QString& file, const Kartochka& c) { fixtures::writeBytes(path(file), PersonFileContent(c)); }
};

// Иван (30, password "Тайна") and four women of 30; the operator ranks him
// from the men's list.
struct DeskFolder : PairFolder {
    DeskFolder() : PairFolder(Kartochka{})
    {
        Kartochka ivan = card(QStringLiteral("Иван"), 0, QStringLiteral("012"));
        ivan.Parol = QStringLiteral("Тайна");
        add(QStringLiteral("ivan.tnm"), ivan);
        add(QStringLiteral("a.tnw"), card(QStringLiteral("Аня"), 1, QStringLiteral("012")));
        add(QStringLiteral("b.tnw"), card(QStringLiteral("Вика"), 1, QStringLiteral("010")));
        add(QStringLiteral("c.tnw"), card(QStringLiteral("Галя"), 1, QStringLiteral("000")));
        add(QStringLiteral("d.tnw"), card(QStringLiteral("Даша"), 1, QStringLiteral("011")));
    }
    std::unique_ptr<store::FolderStore> store() const { return store::Open(app.st.folders.WorkFolder); }
    void rankFromList()
    {
        app.st.people.ListWomen = false;
        app.st.list.Mode = HtmlWindowMode::PeopleList;
        ListLudeyLoad(app);
        click(QStringLiteral("p0"));
    }
    void password(const QString& typed)
    {
        pf.onModal[WindowId::PassW] = [this, typed] {
            app.frmPassW.TPW.text = typed;
            frmPassW_TPW_Change(app);
            frmPassW_OK_Click(app);
            if (app.st.Dialog != DialogMode::Confirmed)
                frmPassW_NO_Click(app);
        };
    }
    desk::PairHistory historyWith(const QString& other) const { return desk::ReadPairsOf(*store(), QStringLiteral("ivan.tnm")).value(other); }
};
}  // namespace

class TestPairPages : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void rankingPageIsExact()
    {
        PairFolder f(card(QStringLiteral("Иван"), 0, QStringLiteral("012")));
        f.add(QStringLiteral("a.tnw"), card(QStringLiteral("Вика"), 1, QStringLiteral("010"), 1));
        f.add(QStringLiteral("b.tnw"), card(QStringLiteral("Галя <b>"), 1, QStringLiteral("2")));
        f.add(QStringLiteral("c.tnw"), card(QStringLiteral("Аня"), 1, QStringLiteral("012")));
        PoiskPary(f.app);
        QCOMPARE(f.app.frmHTML.caption, QStringLiteral("Поиск пары. Жених: Иван"));
        QCOMPARE(f.app.st.list.Mode, HtmlWindowMode::PairSearch);
        const QString expected =
            kHead + QStringLiteral("Жених: Иван<br>Список женщин (всего: 3)</font>") +
            QStringLiteral("<br><table bgcolor='#C0C0C0'><tr bgcolor='#E5E5E5'><td align='center'><b>№") + C +
            QStringLiteral("Имя и фамилия") + C + QStringLiteral("Возраст") + C + QStringLiteral("Совпадений") + C +
            QStringLiteral("Подробности</b></td></tr>") +
            QStringLiteral("<tr bgcolor='white'><td align='center'><b> 1") + C + QStringLiteral("Аня") + C +
            QStringLiteral("30") + C + QStringLiteral("3 (100%)") + C + QStringLiteral("</b></td></tr>") +
            QStringLiteral("<tr bgcolor='white'><td align='center'><b> 2") + C + QStringLiteral("Вика") + C +
            QStringLiteral("30") + C + QStringLiteral("2 (66%)") + C + anchor(QStringLiteral("l1"), QStringLiteral("Посмотреть")) +
            QStringLiteral("</b></td></tr>") + QStringLiteral("<tr bgcolor='white'><td align='center'><b> 3") + C +
            QStringLiteral("Галя &lt;b&gt;") + C + QStringLiteral("30") + C + QStringLiteral("0 (0%)") + C +
            QStringLiteral("</b></td></tr></table></center></body></html>");
        QCOMPARE(f.page(), expected);
        QCOMPARE(f.app.st.list.ListHtml, expected);

        // A candidate without details cannot be opened, not even by a made-up link.
        f.click(QStringLiteral("l0"));
        f.click(QStringLiteral("l2"));
        QCOMPARE(f.page(), expected);
        QVERIFY(f.pf.messages.isEmpty());
    }

    void thirtyCandidatesMakeTwoPages()
    {
        PairFolder f(card(QStringLiteral("Иван"), 0, QStringLiteral("0000")));
        for (int i = 0; i < 30; ++i)
            f.add(QStringLiteral("w%1.tnw").arg(i, 2, 10, QLatin1Char('0')), card(QStringLiteral("Ж%1").arg(i), 1, QStringLiteral("1111")));
        PoiskPary(f.app);
        QVERIFY(f.page().contains(QStringLiteral("Список женщин (всего: 30)</font>")));
        QVERIFY(f.page().contains(QStringLiteral("<b> 25") + C));
        QVERIFY(!f.page().contains(QStringLiteral("<b> 26") + C));
        QVERIFY(f.page().endsWith(QStringLiteral("</table><br><font size='5'>1 &nbsp;&nbsp;") + anchor(QStringLiteral("c2"), QStringLiteral("2")) +
                                  QStringLiteral(" &nbsp;&nbsp;</font><br><br></center></body></html>")));
        f.click(QStringLiteral("c2"));
        QCOMPARE(f.app.st.pairs.PairsPage, 1);
        QVERIFY(f.page().contains(QStringLiteral("<b> 30") + C));
        QVERIFY(!f.page().contains(QStringLiteral("<b> 25") + C));
        QVERIFY(f.page().contains(anchor(QStringLiteral("c1"), QStringLiteral("1")) + QStringLiteral(" &nbsp;&nbsp;2 &nbsp;&nbsp;")));
        f.click(QStringLiteral("c3"));  // no such page
        QCOMPARE(f.app.st.pairs.PairsPage, 1);
    }

    void peopleListLinkOnlyWhenAListIsLoaded()
    {
        PairFolder f(card(QStringLiteral("Анна"), 1, QStringLiteral("01")));
        f.add(QStringLiteral("m.tnm"), card(QStringLiteral("Пётр"), 0, QStringLiteral("01")));
        PoiskPary(f.app);
        QVERIFY(!f.page().contains(QStringLiteral("tnd.s.ru")));
        QVERIFY(f.page().contains(QStringLiteral("Невеста: Анна<br>Список мужчин (всего: 1)")));
        f.add(QStringLiteral("w.tnw"), card(QStringLiteral("Анна"), 1, QStringLiteral("01")));
        f.app.st.people.ListWomen = true;
        ListLudeyLoad(f.app);
        PoiskPary(f.app);
        QVERIFY(f.page().startsWith(kHead + anchor(QStringLiteral("s"), QStringLiteral("Список женщин")) + QStringLiteral("<br>")));
        f.click(QStringLiteral("s"));
        QCOMPARE(f.app.st.list.Mode, HtmlWindowMode::PeopleList);
        QVERIFY(f.page().contains(QStringLiteral("Список женщин (всего: 1)")));
    }

    void nobodyOfTheOtherSex()
    {
        PairFolder f(card(QStringLiteral("Иван"), 0, QStringLiteral("01")));
        f.add(QStringLiteral("m.tnm"), card(QStringLiteral("Пётр"), 0, QStringLiteral("01")));
        PoiskPary(f.app);
        QCOMPARE(f.app.st.pairs.PairsLast, -1);
        QCOMPARE(f.app.st.pairs.Pairs.size(), 1);
        QCOMPARE(f.app.st.pairs.PairOrder, QList<int>{0});
        QCOMPARE(f.page(), kHead + QStringLiteral("Жених: Иван<br>Список женщин (всего: 0)</font></center></body></html>"));
    }

    void referenceWithoutAnswersShowsCountsOnly()
    {
        PairFolder f(card(QStringLiteral("Иван"), 0, QString()));
        f.add(QStringLiteral("w.tnw"), card(QStringLiteral("Анна"), 1, QStringLiteral("01")));
        PoiskPary(f.app);
        QVERIFY(f.page().contains(C + QStringLiteral("0") + C));
        QVERIFY(!f.page().contains(QStringLiteral("%)")));
    }

    void candidateCard_data()
    {
        QTest::addColumn<QString>("photo");
        QTest::newRow("with photo") << QStringLiteral("/фото/вика.jpg");
        QTest::newRow("without photo") << QString();
    }
    void candidateCard()
    {
        QFETCH(QString, photo);
        PairFolder f(card(QStringLiteral("Иван"), 0, QStringLiteral("01")));
        Kartochka vika = card(QStringLiteral("Вика"), 1, QStringLiteral("01"), 1);
        vika.Podrobnosti = {QStringLiteral("1,70"), QString(), QStringLiteral("Рыжие"), QStringLiteral("Карие"),
                            QStringLiteral("Лев"), QStringLiteral("<script>x</script>"), QStringLiteral("Друга"),
                            QStringLiteral("Тула"), photo};
        f.add(QStringLiteral("v.tnw"), vika);
        PoiskPary(f.app);
        f.click(QStringLiteral("l0"));
        QCOMPARE(f.app.st.pairs.CurrentPair, 0);
        auto row = [](const QString& label, const QString& value) {
            return QStringLiteral("<tr><td><b>") + label + QStringLiteral("</b></td><td>") + value + QStringLiteral("</td></tr>");
        };
        QString expected = kHead + anchor(QStringLiteral("n"), QStringLiteral("Вернуться к списку")) +
                           QStringLiteral("<br>Личная карточная</font><table>") + row(QStringLiteral("Имя и фамилия:"), QStringLiteral("Вика")) +
                           row(QStringLiteral("Возраст:"), QStringLiteral(" 30")) + row(QStringLiteral("Рост (м):"), QStringLiteral("1,70")) +
                           row(QStringLiteral("Вес (кг):"), QStringLiteral("?")) + row(QStringLiteral("Цвет волос:"), QStringLiteral("Рыжие")) +
                           row(QStringLiteral("Глаза:"), QStringLiteral("Карие")) + row(QStringLiteral("Зодиак:"), QStringLiteral("Лев")) +
                           row(QStringLiteral("О себе:"), QStringLiteral("&lt;script&gt;x&lt;/script&gt;")) +
                           row(QStringLiteral("Ищу:"), QStringLiteral("Друга")) + row(QStringLiteral("Адрес:"), QStringLiteral("Тула"));
        if (photo.isEmpty())
            expected += row(QStringLiteral("Фотография:"), QStringLiteral("?")) + QStringLiteral("</font></fd></table>");
        else
            expected += QStringLiteral("</font></fd></table><img border='0' src='") + photo + QStringLiteral("'>");
        expected += QStringLiteral("</center></body></html>");
        QCOMPARE(f.page(), expected);
        QCOMPARE(f.app.st.list.Mode, HtmlWindowMode::PairSearch);

        f.click(QStringLiteral("n"));
        QVERIFY(f.page().contains(QStringLiteral("Посмотреть")));
        QFile::remove(f.path(QStringLiteral("v.tnw")));
        const QString ranking = f.page();
        f.click(QStringLiteral("l0"));
        QCOMPARE(f.pf.messageTexts(), QStringList{QStringLiteral("Файл не найден")});
        QCOMPARE(f.page(), ranking);
    }

    void rightAfterATest()
    {
        PairFolder f(Kartochka{});
        f.app.st.test.TestPassword = QStringLiteral("тест");
        f.app.st.CardFields[0] = card(QStringLiteral("Олег"), 0, QStringLiteral("11"), 0);
        f.app.st.CardFields[0].Parol = QStringLiteral("старый");
        f.app.st.CardFields[1].FileName = QStringLiteral("kept.tnm");
        f.app.st.list.Mode = HtmlWindowMode::PeopleList;
        f.add(QStringLiteral("w.tnw"), card(QStringLiteral("Анна"), 1, QStringLiteral("10")));
        QString shownTitle;
        f.pf.onModal[WindowId::Html] = [&] {
            frmHTML_Timer(f.app);
            shownTitle = f.app.frmHTML.caption;
        };
        // The end page of the attempt just saved offers the link.
        f.app.st.main.Phase = TestPhase::Finished;
        f.app.st.main.View = ViewMode::EndTest;
        LoadHtml(f.app.frmForma.usrWeb1, QStringLiteral("<a href='http://tnd.p.ru'>Поиск пары</a>"));
        VyborOtveta(f.app, QStringLiteral("http://tnd.p.ru/"));
        QCOMPARE(f.pf.modals, QList<WindowId>{WindowId::Html});
        QCOMPARE(shownTitle, QStringLiteral("Поиск пары. Жених: Олег"));
        const Kartochka& reference = f.app.st.CardFields[1];
        QCOMPARE(reference.NameFamiliya, QStringLiteral("Олег"));
        QCOMPARE(reference.Otvety, QStringLiteral("11"));
        QCOMPARE(reference.Parol, QStringLiteral("тест"));
        QCOMPARE(reference.FileName, QStringLiteral("kept.tnm"));
        QVERIFY(f.app.st.list.ListHtml.contains(QStringLiteral("1 (50%)")));
        QVERIFY(!f.app.st.list.ListHtml.contains(QStringLiteral("tnd.s.ru")));
    }

    void withoutDeskDataNoSwitchNorIntroductions()
    {
        DeskFolder f;
        f.rankFromList();
        QVERIFY(f.page().contains(QStringLiteral("Список женщин (всего: 4)</font><br><table")));
        QVERIFY(!f.page().contains(QStringLiteral("Познакомить")));
        QVERIFY(!f.page().contains(QStringLiteral("tnd.m.ru")));
        f.click(QStringLiteral("m"));
        f.click(QStringLiteral("z0"));
        QVERIFY(!f.app.st.pairs.Mutual);
        QVERIFY(f.pf.modals.isEmpty());
        // Reading the desk leaves a folder that never used it as it was.
        QVERIFY(!QDir(f.path(store::kHiddenFolder)).exists());
    }

    void deskLeavesOutInactiveNeverAndWithTheSwitchTheOneWayFits()
    {
        DeskFolder f;
        {
            const auto s = f.store();
            desk::Seeking older;
            older.ageFrom = 40;  // Аня accepts no one of 30
            QCOMPARE(desk::WriteSeeking(*s, QStringLiteral("a.tnw"), older), store::Result::Ok);
            QCOMPARE(desk::WriteStatus(*s, QStringLiteral("c.tnw"), desk::Status::Paused), store::Result::Ok);
            QCOMPARE(desk::NeverOffer(*s, QStringLiteral("d.tnw"), QStringLiteral("ivan.tnm")), store::Result::Ok);
        }
        f.rankFromList();
        const QString off = anchor(QStringLiteral("m"), QStringLiteral("Только взаимно подходящие")) +
                            QStringLiteral(": выключено</font>");
        QVERIFY(f.page().contains(QStringLiteral("Список женщин (всего: 2)</font><br><font size='3'>") + off));
        QVERIFY(f.page().contains(QStringLiteral("Аня")));
        QVERIFY(f.page().contains(QStringLiteral("Вика")));
        QVERIFY(!f.page().contains(QStringLiteral("Галя")));
        QVERIFY(!f.page().contains(QStringLiteral("Даша")));

        f.click(QStringLiteral("m"));
        QVERIFY(f.app.st.pairs.Mutual);
        QVERIFY(f.page().contains(QStringLiteral("(всего: 1)</font>")));
        QVERIFY(f.page().contains(QStringLiteral(": включено<br>Не подходят взаимно: 1</font>")));
        QVERIFY(!f.page().contains(QStringLiteral("Аня")));
        QVERIFY(f.page().contains(QStringLiteral("Вика")));
        // The switch stays for the next ranking, even when slot 1 holds another card.
        f.app.st.CardFields[1] = Kartochka{};
        f.click(QStringLiteral("m"));
        f.click(QStringLiteral("m"));
        QVERIFY(f.page().contains(QStringLiteral("Жених: Иван")));
        QVERIFY(f.page().contains(QStringLiteral("Не подходят взаимно: 1")));
        f.rankFromList();
        QVERIFY(f.page().contains(QStringLiteral("Не подходят взаимно: 1")));
        f.click(QStringLiteral("m"));
        QVERIFY(f.page().contains(QStringLiteral("(всего: 2)</font>")));
        QVERIFY(!f.page().contains(QStringLiteral("Не подходят")));
    }

    void introduceBehindThePassword_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("recorded");
        QTest::newRow("the card's password") << QStringLiteral("Тайна") << true;
        QTest::newRow("a wrong one") << QStringLiteral("тайна") << false;
    }
    void introduceBehindThePassword()
    {
        QFETCH(QString, typed);
        QFETCH(bool, recorded);
        DeskFolder f;
        QCOMPARE(desk::WriteStatus(*f.store(), QStringLiteral("c.tnw"), desk::Status::Paused), store::Result::Ok);
        f.rankFromList();
        QVERIFY(f.page().contains(QStringLiteral("Подробности") + C + QStringLiteral("Знакомство</b>")));
        QVERIFY(f.page().contains(anchor(QStringLiteral("z0"), QStringLiteral("Познакомить"))));
        // Another card in slot 1 meanwhile: the password still guards Иван's.
        f.app.st.CardFields[1] = card(QStringLiteral("Чужой"), 0, QStringLiteral("0"));
        f.password(typed);
        const QString page = f.page();
        f.click(QStringLiteral("z0"));  // Аня, all three answers alike
        QCOMPARE(f.pf.modals, QList<WindowId>{WindowId::PassW});
        const desk::PairHistory history = f.historyWith(QStringLiteral("a.tnw"));
        if (recorded) {
            QCOMPARE(history.introductions.size(), 1);
            QCOMPARE(history.introductions[0].time, f.pf.clock);
            QCOMPARE(history.introductions[0].author, store::UserName());
            QCOMPARE(f.pf.messageTexts(),
                     QStringList{QStringLiteral("Знакомство записано: Иван и Аня, 09.12.2026 12:00.")});
        } else {
            QVERIFY(history.introductions.isEmpty());
            QVERIFY(!f.pf.messageTexts().join(QLatin1Char(' ')).contains(QStringLiteral("Знакомство")));
        }
        QCOMPARE(f.page(), page);
    }

    void noIntroductionsRightAfterATest()
    {
        DeskFolder f;
        QCOMPARE(desk::WriteStatus(*f.store(), QStringLiteral("c.tnw"), desk::Status::Paused), store::Result::Ok);
        f.app.st.test.TestPassword = QStringLiteral("тест");
        f.app.st.CardFields[0] = card(QStringLiteral("Иван"), 0, QStringLiteral("012"));
        f.app.st.CardFields[0].FileName = QStringLiteral("ivan.tnm");
        f.pf.onModal[WindowId::Html] = [&] { frmHTML_Timer(f.app); };
        f.password(QStringLiteral("тест"));
        PoiskParyEndTest(f.app);
        QVERIFY(f.page().contains(QStringLiteral("Вика")));
        QVERIFY(!f.page().contains(QStringLiteral("Галя")));
        QVERIFY(!f.page().contains(QStringLiteral("Познакомить")));
        f.click(QStringLiteral("z0"));
        QVERIFY(f.historyWith(QStringLiteral("a.tnw")).introductions.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestPairPages)
#include "tst_pairpages.moc"
