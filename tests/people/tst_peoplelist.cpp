#include "PeopleFolder.h"

#include "screens/people/FrmFound.h"
#include "screens/people/PeopleList.h"
#include "ground/HtmlEscape.h"
#include "shell/ListCommands.h"
#include "engines/Desk.h"
#include "engines/FolderStore.h"
#include "screens/views/FrmHTML.h"

#include <QRegularExpression>

namespace {
const QString kHead = QStringLiteral(
    "<html><style type='text/css'>.lnk{color:blue; font-family:Times New Roman; text-decoration:none; } "
    "a:hover{color:red}</style><head><meta http-equiv='Content-Type' content='text/html; "
    "charset=windows-1251'></head><body topmargin=0  leftmargin=5 rightmargin=5 link='blue' "
    "vlink='blue'><center><font size='5'>");
const QString kWaiting = QStringLiteral(
    "<html><head><meta http-equiv='Content-Type' content='text/html; charset=windows-1251'></head>"
    "<body topmargin=0><center><font size='5'>Загрузка данных...</font></center></body></html>");
const QString C = QStringLiteral("</b></td><td align='center'><b>");

// The list window opened from the main menu; its one-shot start runs at once.
void openList(PeopleFolder& f, int women)
{
    f.pf.onModal[WindowId::Html] = [&f] { frmHTML_Timer(f.app); };
    FileListLudey_Click(f.app, women);
}

// Names in the order the page shows them.
QStringList shownNames(const QString& page)
{
    QStringList names;
    static const QRegularExpression row(QStringLiteral("href='http://tnd\\.l\\d+\\.ru'>([^<]*)</a>"));
    for (auto it = row.globalMatch(page); it.hasNext();)
        names << it.next().captured(1);
    return names;
}
}  // namespace

class TestPeopleList : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void statusesHideTheFoundAndArchivedUntilAskedFor()
    {
        PeopleFolder f;
        f.pf.clock = QDateTime(QDate(2026, 12, 9), QTime(12, 0));
        f.person(QStringLiteral("a.tnm"), QStringLiteral("Антон"), 1990);
        f.person(QStringLiteral("b.tnm"), QStringLiteral("Борис"), 1990);
        f.person(QStringLiteral("c.tnm"), QStringLiteral("Гена"), 1990);
        f.person(QStringLiteral("d.tnm"), QStringLiteral("Дима"), 1990);
        {
            const auto s = store::Open(f.app.st.folders.WorkFolder);
            QCOMPARE(desk::WriteStatus(*s, QStringLiteral("b.tnm"), desk::Status::Paused), store::Result::Ok);
            QCOMPARE(desk::WriteStatus(*s, QStringLiteral("c.tnm"), desk::Status::Found), store::Result::Ok);
            QCOMPARE(desk::WriteStatus(*s, QStringLiteral("d.tnm"), desk::Status::Archived), store::Result::Ok);
        }
        openList(f, 0);
        QCOMPARE(shownNames(f.page()), (QStringList{QStringLiteral("Антон"), QStringLiteral("Борис")}));
        QVERIFY(f.page().contains(QStringLiteral("Список мужчин (всего: 2)</font><br><font size='3'>")));
        QVERIFY(f.page().contains(QStringLiteral("Подробности") + C + QStringLiteral("Статус") + C));
        QVERIFY(f.page().contains(QStringLiteral("Нет") + C + QStringLiteral("пауза") + C));
        f.click(QStringLiteral("v"));
        QCOMPARE(shownNames(f.page()).size(), 4);
        QVERIFY(f.page().contains(QStringLiteral("Нет") + C + QStringLiteral("в архиве") + C));
        QVERIFY(f.page().contains(QStringLiteral("Только активные и на паузе")));
        f.click(QStringLiteral("v"));
        QCOMPARE(shownNames(f.page()).size(), 2);
    }

    void ageRange_data()
    {
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("to");
        QTest::addColumn<QStringList>("shown");
        // Ages in 2026: Антон 36, Борис 26, Вова 20; a bound is inclusive.
        QTest::newRow("middle") << 21 << 30 << QStringList{QStringLiteral("Борис")};
        QTest::newRow("on the bounds") << 26 << 36 << QStringList{QStringLiteral("Антон"), QStringLiteral("Борис")};
        QTest::newRow("none") << 40 << 50 << QStringList{};
    }
    void ageRange()
    {
        QFETCH(int, from);
        QFETCH(int, to);
        QFETCH(QStringList, shown);
        PeopleFolder f;
        f.pf.clock = QDateTime(QDate(2026, 12, 9), QTime(12, 0));
        f.person(QStringLiteral("a.tnm"), QStringLiteral("Антон"), 1990);
        f.person(QStringLiteral("b.tnm"), QStringLiteral("Борис"), 2000);
        f.person(QStringLiteral("c.tnm"), QStringLiteral("Вова"), 2006);
        QCOMPARE(desk::WriteStatus(*store::Open(f.app.st.folders.WorkFolder), QStringLiteral("a.tnm"), desk::Status::Paused),
                 store::Result::Ok);
        openList(f, 0);
        f.pf.numberAnswers = {from, to};
        f.click(QStringLiteral("a"));
        QCOMPARE(shownNames(f.page()), shown);
        QVERIFY(f.page().contains(QStringLiteral("<br><font size='3'>Возраст от ") + QString::number(from) +
                                  QStringLiteral(" до ") + QString::number(to)));
        f.click(QStringLiteral("x"));
        QCOMPARE(shownNames(f.page()).size(), 3);
        QVERIFY(!f.page().contains(QStringLiteral("Сбросить")));
    }

    void menListPage()
    {
        PeopleFolder f;
        f.person(QStringLiteral("b.tnm"), QStringLiteral("Пётр Иванов"), 1979, {},
                 QStringList(9, QStringLiteral("x")));
        f.person(QStringLiteral("a.tnm"), QStringLiteral("борис"), 2009);
        f.person(QStringLiteral("c.tnw"), QStringLiteral("Анна"), 1985);  // a woman
        fixtures::writeBytes(f.path(QStringLiteral("d.tnm")), "[kartochka] \r\nЧужой\r\n");
        fixtures::writeBytes(f.path(QStringLiteral("e.tnm")), "");
        QVERIFY(QDir(f.tmp.path()).mkdir(QStringLiteral("f.tnm")));

        openList(f, 0);
        QCOMPARE(f.app.frmHTML.caption, QStringLiteral("Список мужчин"));
        const QString expected =
            kHead + QStringLiteral("Список мужчин (всего: 2)</font>") +
            QStringLiteral("<br><table bgcolor='#C0C0C0'><tr bgcolor='#E5E5E5'><td align='center'><b>№") + C +
            QStringLiteral("Имя и фамилия") + C + QStringLiteral("Возраст") + C + QStringLiteral("Подробности") + C +
            QStringLiteral("</b></td></tr>") +
            QStringLiteral("<tr bgcolor='white'><td align='center'><b> 1") + C +
            QStringLiteral("<a class='lnk' href='http://tnd.l0.ru'>борис</a>") + C + QStringLiteral("0") + C +
            QStringLiteral("Нет") + C + QStringLiteral("<a class='lnk' href='http://tnd.p0.ru'>Поиск пары</a></b></td></tr>") +
            QStringLiteral("<tr bgcolor='white'><td align='center'><b> 2") + C +
            QStringLiteral("<a class='lnk' href='http://tnd.l1.ru'>Пётр Иванов</a>") + C + QStringLiteral("30") + C +
            QStringLiteral("Есть") + C +
            QStringLiteral("<a class='lnk' href='http://tnd.p1.ru'>Поиск пары</a></b></td></tr>") +
            QStringLiteral("</table></center></body></html>");
        QCOMPARE(f.page(), expected);
        QCOMPARE(f.app.st.list.ListHtml, expected);
        QCOMPARE(f.app.st.list.Mode, HtmlWindowMode::PeopleList);
        QVERIFY(f.pf.messages.isEmpty());
        // Closing the window releases the list.
        QCOMPARE(f.app.st.people.PeopleLast, -1);
    }

    void womenListShowsWaitingPageFirst()
    {
        PeopleFolder f;
        f.person(QStringLiteral("a.tnw"), QStringLiteral("Ольга"), 1990);
        QStringList painted;
        f.pf.onProcessEvents = [&] { painted << f.page(); };
        QString title;
        f.pf.onModal[WindowId::Html] = [&] {
            title = f.app.frmHTML.caption;
            QVERIFY(f.page().isEmpty());
            QVERIFY(f.app.frmHTML.Timer1.enabled);
            frmHTML_Timer(f.app);
            QVERIFY(!f.app.frmHTML.Timer1.enabled);
            QCOMPARE(f.app.st.people.PeopleLast, 0);
        };
        FileListLudey_Click(f.app, 1);
        QCOMPARE(title, QStringLiteral("Список женщин"));
        QCOMPARE(painted.value(0), kWaiting);
        QVERIFY(f.page().startsWith(kHead + QStringLiteral("Список женщин (всего: 1)</font><br><table")));
        QCOMPARE(shownNames(f.page()), QStringList{QStringLiteral("Ольга")});
    }

    void emptyFolder()
    {
        PeopleFolder f;
        f.person(QStringLiteral("a.tnw"), QStringLiteral("Ольга"), 1990);
        openList(f, 0);
        QCOMPARE(f.page(), kHead + QStringLiteral("Список мужчин (всего: 0)</font></center></body></html>"));
    }

    void paging_data()
    {
        QTest::addColumn<int>("count");
        QTest::newRow("25 people, one page") << 25;
        QTest::newRow("26 people, two pages") << 26;
    }
    void paging()
    {
        QFETCH(int, count);
        PeopleFolder f;
        for (int i = 0; i < count; ++i)
            f.person(QStringLiteral("p%1.tnm").arg(i, 2, 10, QLatin1Char('0')),
                     QStringLiteral("Человек %1").arg(i, 2, 10, QLatin1Char('0')), 1980);
        f.pf.onModal[WindowId::Html] = [&f] {
            frmHTML_Timer(f.app);
            QCOMPARE(shownNames(f.page()).size(), 25);
            QVERIFY(f.page().contains(QStringLiteral("<b> 25") + C));
            QVERIFY(!f.page().contains(QStringLiteral("<b> 26") + C));
            if (f.app.st.people.PeopleLast < 25) {
                QVERIFY(f.page().endsWith(QStringLiteral("</table></center></body></html>")));
                f.click(QStringLiteral("c2"));  // no such page
                QCOMPARE(f.app.st.people.PeoplePage, 0);
                return;
            }
            QVERIFY(f.page().endsWith(
                QStringLiteral("</table><br><font size='5'>1 &nbsp;&nbsp;<a class='lnk' href='http://tnd.c2.ru'>2</a> "
                               "&nbsp;&nbsp;</font><br><br></center></body></html>")));
            f.click(QStringLiteral("c2"));
            QCOMPARE(f.app.st.people.PeoplePage, 1);
            QCOMPARE(shownNames(f.page()), QStringList{QStringLiteral("Человек 25")});
            QVERIFY(f.page().contains(QStringLiteral("<b> 26") + C +
                                      QStringLiteral("<a class='lnk' href='http://tnd.l25.ru'>")));
            QVERIFY(f.page().contains(QStringLiteral("<a class='lnk' href='http://tnd.c1.ru'>1</a> &nbsp;&nbsp;2 "
                                                     "&nbsp;&nbsp;</font>")));
            // "Обновить" shows the latest page, not the first.
            frmHTML_MenuClick(f.app, QStringLiteral("FileObnovit"));
            QCOMPARE(shownNames(f.page()), QStringList{QStringLiteral("Человек 25")});
        };
        FileListLudey_Click(f.app, 0);
        QVERIFY(f.page().contains(QStringLiteral("(всего: %1)").arg(count)));
    }

    void sortOrder()
    {
        PeopleFolder f;
        // Scan numbers follow the listing order: a00 is 0, ..., a11 is 11. The
        // age (2009 - year) tells the people with equal names apart.
        const QStringList names{QStringLiteral("яна"), QStringLiteral("Ёлкин"), QStringLiteral("Жора"),
                                QStringLiteral("Анна"), QStringLiteral("Елена"), QStringLiteral("анна"),
                                QStringLiteral("Анна"), QStringLiteral("Анна"), QStringLiteral("Анна"),
                                QStringLiteral("Анна"), QStringLiteral("Анна"), QStringLiteral("АННА")};
        for (int k = 0; k < names.size(); ++k)
            f.person(QStringLiteral("a%1.tnm").arg(k, 2, 10, QLatin1Char('0')), names[k], 2009 - k);
        openList(f, 0);
        const QStringList order = shownNames(f.page());
        QCOMPARE(order.size(), 12);
        QCOMPARE(order.mid(8), (QStringList{QStringLiteral("Елена"), QStringLiteral("Ёлкин"), QStringLiteral("Жора"),
                                            QStringLiteral("яна")}));
        // All spellings of Анна: scan numbers 10, 11, 3, 5, 6, 7, 8, 9 as text.
        QStringList ages;
        static const QRegularExpression age(QStringLiteral("</a>") + QRegularExpression::escape(C) +
                                            QStringLiteral("(\\d+)"));
        for (auto it = age.globalMatch(f.page()); it.hasNext();)
            ages << it.next().captured(1);
        QCOMPARE(ages.mid(0, 8), (QStringList{"10", "11", "3", "5", "6", "7", "8", "9"}));
    }

    void pairResultLine()
    {
        PeopleFolder f;
        f.person(QStringLiteral("a.tnw"), QStringLiteral("Ольга"), 1990);
        f.app.st.people.ListWomen = true;
        ListLudeyLoad(f.app);
        QVERIFY(!f.page().contains(QStringLiteral("tnd.s.ru")));
        // A ranking made for Пётр: the line names him, whatever card slot 1 holds.
        f.app.st.pairs.PairsLast = 0;
        f.app.st.pairs.PairsName = QStringLiteral("Пётр <i>");
        f.app.st.CardFields[1].NameFamiliya = QStringLiteral("Другой");
        ShowStranicy(f.app);
        QVERIFY(f.page().startsWith(kHead + QStringLiteral("<a class='lnk' href='http://tnd.s.ru'>Список невесты: "
                                                           "Пётр &lt;i&gt;</a><br>Список женщин (всего: 1)")));
        f.app.st.people.ListWomen = false;
        ShowStranicy(f.app);
        QVERIFY(f.page().contains(QStringLiteral(">Список жениха: Пётр &lt;i&gt;</a><br>Список мужчин (всего: 1)")));
    }

    void nameSearch_data()
    {
        QTest::addColumn<QString>("needle");
        QTest::addColumn<int>("women");
        QTest::addColumn<QStringList>("found");
        QTest::newRow("ан among women") << QStringLiteral("ан") << 1
                                        << QStringList{QStringLiteral("Анна Петрова"), QStringLiteral("Светлана")};
        QTest::newRow("upper case") << QStringLiteral("АННА") << 1 << QStringList{QStringLiteral("Анна Петрова")};
        QTest::newRow("latin") << QStringLiteral("sMiTh") << 1 << QStringList{QStringLiteral("ANNA SMITH")};
        QTest::newRow("men") << QStringLiteral("ан") << 0 << QStringList{QStringLiteral("Иван")};
        QTest::newRow("nobody") << QStringLiteral("щщ") << 1 << QStringList{};
    }
    void nameSearch()
    {
        QFETCH(QString, needle);
        QFETCH(int, women);
        QFETCH(QStringList, found);
        PeopleFolder f;
        f.person(QStringLiteral("1.tnw"), QStringLiteral("Светлана"), 1990);
        f.person(QStringLiteral("2.tnw"), QStringLiteral("Ольга"), 1990);
        f.person(QStringLiteral("3.tnw"), QStringLiteral("Анна Петрова"), 1985);
        f.person(QStringLiteral("4.tnw"), QStringLiteral("ANNA SMITH"), 1985);
        f.person(QStringLiteral("5.tnm"), QStringLiteral("Иван"), 1985);
        bool firstOpening = true;
        f.pf.onModal[WindowId::Found] = [&] {
            FrmFound& w = f.app.frmFound;
            if (firstOpening) {
                QCOMPARE(w.txtNameFamiliya.text, QString());
                QVERIFY(w.selPol[0].checked && !w.selPol[1].checked);
                QVERIFY(!w.kFound.enabled);
                frmFound_kFound_Click(f.app);  // disabled: nothing
                QCOMPARE(f.app.st.Dialog, DialogMode::FindPeople);
            }
            w.txtNameFamiliya.text = needle;
            frmFound_TextChange(f.app);
            QVERIFY(w.kFound.enabled);
            frmFound_selPol_Click(f.app, women);
            frmFound_kFound_Click(f.app);
            QVERIFY(w.closeRequested);
        };
        QString title;
        f.pf.onModal[WindowId::Html] = [&] {
            title = f.app.frmHTML.caption;
            frmHTML_Timer(f.app);
            QCOMPARE(f.app.st.list.Mode, HtmlWindowMode::PeopleList);
        };
        FileFoundLudey_Click(f.app);
        QCOMPARE(title, QStringLiteral("Поиск"));
        QCOMPARE(shownNames(f.page()), found);
        QVERIFY(f.page().contains((women ? QStringLiteral("Список женщин (всего:") : QStringLiteral("Список мужчин (всего:")) +
                                  SignedNumber(static_cast<int>(found.size())) + QStringLiteral(")</font>")));
        QCOMPARE(f.app.st.search.SearchName, needle);
        QCOMPARE(f.app.st.search.SearchWomen, women == 1);

        // The next opening shows the last search, all of it selected.
        firstOpening = false;
        f.pf.onModal[WindowId::Found] = [&] {
            QCOMPARE(f.app.frmFound.txtNameFamiliya.text, needle);
            QCOMPARE(f.app.frmFound.txtNameFamiliya.selLength, needle.size());
            QCOMPARE(f.app.frmFound.selPol[1].checked, women == 1);
            f.app.frmFound.txtNameFamiliya.text = QStringLiteral("другое");
            frmFound_selPol_Click(f.app, 1 - women);
            frmFound_NO_Click(f.app);
        };
        const QString pageBefore = f.page();
        const int modals = static_cast<int>(f.pf.modals.size());
        FileFoundLudey_Click(f.app);
        QCOMPARE(f.app.st.search.SearchName, needle);
        QCOMPARE(f.app.st.search.SearchWomen, women == 1);
        QCOMPARE(f.pf.modals.size(), modals + 1);  // no list window after "Отмена"
        QCOMPARE(f.page(), pageBefore);
    }
};

QTEST_GUILESS_MAIN(TestPeopleList)
#include "tst_peoplelist.moc"
