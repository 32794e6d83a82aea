#include "PeopleFolder.h"

#include "screens/document/FrmPassW.h"
#include "screens/people/CardPage.h"
#include "ground/TextFile.h"
#include "screens/people/FrmKartochka.h"
#include "screens/people/PeopleList.h"
#include "engines/Desk.h"
#include "engines/FolderStore.h"

#include <QDir>
#include <QFileInfo>

namespace {
const QString kCardHead = QStringLiteral(
    "<html><style type='text/css'>a:hover{color:red}</style><head><meta http-equiv='Content-Type' "
    "content='text/html; charset=windows-1251'></head><body topmargin=0  leftmargin=5 rightmargin=5 "
    "link='blue' vlink='blue'><center><font size='5'>"
    "<a style='text-decoration: none' href='http://tnd.i.ru'>Изменить</a>&nbsp;&nbsp;&nbsp;"
    "<a style='text-decoration: none' href='http://tnd.d.ru'>Удалить</a>&nbsp;&nbsp;&nbsp;"
    "<a style='text-decoration: none' href='http://tnd.n.ru'>Вернуться к списку</a>&nbsp;&nbsp;&nbsp;"
    "<a style='text-decoration: none' href='http://tnd.p.ru'>Поиск пары</a>"
    "<br>Личная карточная</font><table>");

QString row(const QString& label, const QString& value)
{
    return QStringLiteral("<tr><td><b>") + label + QStringLiteral("</b></td><td>") + value + QStringLiteral("</td></tr>");
}

// A women's list with Анна (password "Тайна") and Ольга, loaded in the window.
void womenList(PeopleFolder& f, const QStringList& annaDetails = {})
{
    f.person(QStringLiteral("a.tnw"), QStringLiteral("Анна Петрова"), 1985, QStringLiteral("Тайна"), annaDetails);
    f.person(QStringLiteral("b.tnw"), QStringLiteral("Ольга"), 1990, QString());
    f.app.st.people.ListWomen = true;
    ListLudeyLoad(f.app);
}

// The password dialog, typed into and answered, while it is shown.
void answerPassword(PeopleFolder& f, const QStringList& attempts, bool cancelAtEnd)
{
    f.pf.onModal[WindowId::PassW] = [&f, attempts, cancelAtEnd] {
        for (const QString& typed : attempts) {
            f.app.frmPassW.TPW.text = typed;
            frmPassW_TPW_Change(f.app);
            frmPassW_OK_Click(f.app);
        }
        if (cancelAtEnd)
            frmPassW_NO_Click(f.app);
    };
}
// The card dialog, shown for the card of slot 1: a new name, then "ОК".
void renameInCardDialog(PeopleFolder& f, const QString& name)
{
    frmKartochka_Load(f.app);
    QCOMPARE(f.app.frmKartochka.txtNameFamiliya.text, f.app.st.CardFields[1].NameFamiliya);
    f.app.frmKartochka.txtNameFamiliya.text = name;
    frmKartochka_OK_Click(f.app);
}
}  // namespace

class TestCardPage : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void cardPage_data()
    {
        QTest::addColumn<QStringList>("details");
        QTest::addColumn<QString>("rows");
        QTest::addColumn<QString>("tail");
        const QStringList labels{"Рост (м):", "Вес (кг):", "Цвет волос:", "Глаза:", "Зодиак:",
                                 "О себе:",   "Ищу:",      "Адрес:",      "Фотография:"};
        QString noDetails;
        for (const QString& label : labels)
            noDetails += row(label, QStringLiteral("?"));
        QTest::newRow("no details") << QStringList() << noDetails << QString();

        const QStringList filled{"1,65", "55", "Блондинка", "Голубые", "Рыбы", "", "Друга", "Москва", ""};
        QString nine;
        for (int i = 0; i < 9; ++i)
            nine += row(labels[i], filled[i].isEmpty() ? QStringLiteral("?") : filled[i]);
        QTest::newRow("details, no photo") << filled << nine << QString();

        QStringList withPhoto = filled;
        withPhoto[8] = QStringLiteral("/фото/анна.jpg");
        QTest::newRow("photo") << withPhoto << nine.left(nine.lastIndexOf(QStringLiteral("<tr>")))
                               << QStringLiteral("<img border='0' src='/фото/анна.jpg'>");
    }
    void cardPage()
    {
        QFETCH(QStringList, details);
        QFETCH(QString, rows);
        QFETCH(QString, tail);
        PeopleFolder f;
        womenList(f, details);
        f.click(QStringLiteral("l0"));
        QCOMPARE(f.app.st.list.Mode, HtmlWindowMode::CardPage);
        QCOMPARE(f.app.st.people.CurrentPerson, 0);
        QCOMPARE(f.app.st.CardFields[1].FileName, QStringLiteral("a.tnw"));
        const QString expected = kCardHead + row(QStringLiteral("Имя и фамилия:"), QStringLiteral("Анна Петрова")) +
                                 row(QStringLiteral("Возраст:"), QStringLiteral(" 24")) + rows +
                                 QStringLiteral("</font></fd></table>") + tail +
                                 QStringLiteral("</center></body></html>");
        QCOMPARE(f.page(), expected);
        QCOMPARE(f.app.st.list.ListHtml, expected);
    }

    void listCommands()
    {
        PeopleFolder f;
        womenList(f);
        const QString list = f.page();
        f.click(QStringLiteral("l"));  // no number: rank 0
        QVERIFY(f.page().contains(QStringLiteral("Анна Петрова")));
        const QString card = f.page();
        for (const char* code : {"l1", "c1", "s", "x"}) {
            f.click(QString::fromLatin1(code));
            QCOMPARE(f.page(), card);
            QCOMPARE(f.app.st.list.Mode, HtmlWindowMode::CardPage);
        }
        f.click(QStringLiteral("n"));
        QCOMPARE(f.page(), list);
        QCOMPARE(f.app.st.list.Mode, HtmlWindowMode::PeopleList);
        f.click(QStringLiteral("l1"));
        QVERIFY(f.page().contains(row(QStringLiteral("Имя и фамилия:"), QStringLiteral("Ольга"))));
        QCOMPARE(f.app.st.people.CurrentPerson, 1);
        // A rank beyond the list opens nothing.
        f.click(QStringLiteral("n"));
        f.click(QStringLiteral("l7"));
        QCOMPARE(f.page(), list);
        QVERIFY(f.pf.messages.isEmpty());
    }

    void pairSearchFromListAndCard()
    {
        PeopleFolder f;
        womenList(f);
        f.person(QStringLiteral("m.tnm"), QStringLiteral("Пётр"), 1980);
        QStringList waited;
        f.pf.onProcessEvents = [&] { waited << f.page(); };
        f.click(QStringLiteral("p1"));
        QVERIFY(!waited.isEmpty() && waited.last().contains(QStringLiteral("Загрузка данных...")));
        QCOMPARE(f.app.st.list.Mode, HtmlWindowMode::PairSearch);
        QCOMPARE(f.app.frmHTML.caption, QStringLiteral("Поиск пары. Невеста: Ольга"));
        QVERIFY(f.page().contains(QStringLiteral("Пётр")));

        f.app.st.list.Mode = HtmlWindowMode::PeopleList;
        f.click(QStringLiteral("l0"));
        f.click(QStringLiteral("p"));
        QCOMPARE(f.app.frmHTML.caption, QStringLiteral("Поиск пары. Невеста: Анна Петрова"));
        QVERIFY(f.page().contains(QStringLiteral("Список мужчин (всего: 1)")));
    }

    void change_data()
    {
        QTest::addColumn<QStringList>("attempts");
        QTest::addColumn<bool>("cancel");
        QTest::addColumn<int>("wrongMessages");
        QTest::addColumn<bool>("changed");
        QTest::newRow("right") << QStringList{"Тайна"} << false << 0 << true;
        QTest::newRow("wrong, then right") << QStringList{"тайна", "Тайна"} << false << 1 << true;
        QTest::newRow("letter case") << QStringList{"тАЙНА"} << true << 1 << false;
        QTest::newRow("cancel") << QStringList{} << true << 0 << false;
    }
    void change()
    {
        QFETCH(QStringList, attempts);
        QFETCH(bool, cancel);
        QFETCH(int, wrongMessages);
        QFETCH(bool, changed);
        PeopleFolder f;
        womenList(f);
        f.click(QStringLiteral("l0"));
        const QByteArray before = fixtures::readBytes(f.path(QStringLiteral("a.tnw")));
        const QString pageBefore = f.page();
        answerPassword(f, attempts, cancel);
        DialogMode cardDialogMode = DialogMode::None;
        f.pf.onModal[WindowId::Kartochka] = [&] {
            cardDialogMode = f.app.st.Dialog;
            renameInCardDialog(f, QStringLiteral("Анна Сидорова"));
        };
        f.click(QStringLiteral("i"));
        QCOMPARE(f.pf.messageTexts().count(QStringLiteral("Не верный пароль")), wrongMessages);
        QCOMPARE(f.pf.messages.size(), wrongMessages);
        QCOMPARE(f.pf.modals.contains(WindowId::Kartochka), changed);
        if (!changed) {
            QCOMPARE(f.app.st.Dialog, DialogMode::CardPassword);
            QCOMPARE(fixtures::readBytes(f.path(QStringLiteral("a.tnw"))), before);
            QCOMPARE(f.page(), pageBefore);
            return;
        }
        QCOMPARE(cardDialogMode, DialogMode::ListCard);
        QVERIFY(fixtures::readBytes(f.path(QStringLiteral("a.tnw"))).contains(textfile::encode(QStringLiteral("Анна Сидорова"))));
        QVERIFY(f.page().contains(row(QStringLiteral("Имя и фамилия:"), QStringLiteral("Анна Сидорова"))));
        QCOMPARE(f.app.st.list.Mode, HtmlWindowMode::CardPage);
        f.click(QStringLiteral("n"));
        QVERIFY(f.page().contains(QStringLiteral("tnd.l0.ru'>Анна Сидорова</a>")));
    }

    // The card dialog's "Кого ищу" is kept with the folder's desk once the
    // card is saved; a folder where nobody set any keeps none.
    void changeKeepsAccepts_data()
    {
        QTest::addColumn<QString>("keptAgeTo");  // before the change; empty: none
        QTest::addColumn<QString>("typedAgeTo");
        QTest::addColumn<QString>("afterAgeTo");
        QTest::addColumn<bool>("storeMade");
        QTest::newRow("none set, none typed") << "" << "" << "" << false;
        QTest::newRow("set on a card") << "" << "40" << "40" << true;
        QTest::newRow("changed") << "40" << "35" << "35" << true;
        QTest::newRow("cleared") << "40" << "" << "" << true;
    }
    void changeKeepsAccepts()
    {
        QFETCH(QString, keptAgeTo);
        QFETCH(QString, typedAgeTo);
        QFETCH(QString, afterAgeTo);
        QFETCH(bool, storeMade);
        PeopleFolder f;
        womenList(f);
        const QString folder = f.app.st.folders.WorkFolder;
        if (!keptAgeTo.isEmpty()) {
            desk::Seeking s;
            s.ageTo = keptAgeTo.toInt();
            QCOMPARE(desk::WriteSeeking(*store::Open(folder), QStringLiteral("a.tnw"), s), store::Result::Ok);
        }
        f.click(QStringLiteral("l0"));
        answerPassword(f, {QStringLiteral("Тайна")}, false);
        f.pf.onModal[WindowId::Kartochka] = [&] {
            frmKartochka_Load(f.app);
            QCOMPARE(f.app.frmKartochka.txtSeekAge[1].text, keptAgeTo);
            f.app.frmKartochka.txtSeekAge[1].text = typedAgeTo;
            frmKartochka_OK_Click(f.app);
        };
        f.click(QStringLiteral("i"));
        QVERIFY(f.pf.messages.isEmpty());
        QCOMPARE(!store::Open(folder)->keys(desk::kSeekingKind).isEmpty(), storeMade);
        const desk::Seeking after = desk::ReadSeeking(*store::Open(folder), QStringLiteral("a.tnw"));
        QCOMPARE(after.ageTo ? QString::number(*after.ageTo) : QString(), afterAgeTo);
        QVERIFY(desk::ReadSeeking(*store::Open(folder), QStringLiteral("b.tnw")).isEmpty());
    }

    void wrongPasswordSelectsText()
    {
        PeopleFolder f;
        womenList(f);
        f.click(QStringLiteral("l0"));
        f.pf.onModal[WindowId::PassW] = [&] {
            FrmPassW& w = f.app.frmPassW;
            QCOMPARE(w.caption, QStringLiteral("Введите пароль"));
            w.TPW.text = QStringLiteral("abc");
            frmPassW_TPW_Change(f.app);
            frmPassW_OK_Click(f.app);
            QCOMPARE(f.pf.messages.size(), 1);
            QCOMPARE(f.pf.messages[0].icon, MsgIcon::Critical);
            QCOMPARE(f.pf.messages[0].title, QStringLiteral("Тандемо"));
            QCOMPARE(w.TPW.selStart, 0);
            QCOMPARE(w.TPW.selLength, 3);
            QVERIFY(!w.closeRequested);
            frmPassW_NO_Click(f.app);
        };
        f.click(QStringLiteral("d"));
        QVERIFY(QFile::exists(f.path(QStringLiteral("a.tnw"))));
    }

    void emptyStoredPasswordNeverConfirms()
    {
        PeopleFolder f;
        womenList(f);
        f.click(QStringLiteral("l1"));  // Ольга, made without a password
        QVERIFY(f.app.st.CardFields[1].Parol.isEmpty());
        f.pf.onModal[WindowId::PassW] = [&] {
            FrmPassW& w = f.app.frmPassW;
            QVERIFY(!w.OK.enabled);
            frmPassW_OK_Click(f.app);  // Enter with an empty box
            QVERIFY(!w.closeRequested);
            w.TPW.text = QStringLiteral("x");
            frmPassW_TPW_Change(f.app);
            QVERIFY(w.OK.enabled);
            w.TPW.text.clear();
            frmPassW_TPW_Change(f.app);
            QVERIFY(!w.OK.enabled);
            frmPassW_OK_Click(f.app);
            frmPassW_NO_Click(f.app);
        };
        f.click(QStringLiteral("d"));
        f.click(QStringLiteral("i"));
        QVERIFY(QFile::exists(f.path(QStringLiteral("b.tnw"))));
        QVERIFY(!f.pf.modals.contains(WindowId::Kartochka));
        QVERIFY(f.pf.messages.isEmpty());
        QCOMPARE(f.app.st.Dialog, DialogMode::CardPassword);
    }

    void deleteThenClickRow()
    {
        PeopleFolder f;
        womenList(f);
        f.click(QStringLiteral("l0"));
        answerPassword(f, {QStringLiteral("Тайна")}, false);
        f.click(QStringLiteral("d"));
        QVERIFY(!QFile::exists(f.path(QStringLiteral("a.tnw"))));
        QCOMPARE(f.pf.messageTexts(), QStringList{QStringLiteral("Файл удален.")});
        QCOMPARE(f.pf.messages[0].icon, MsgIcon::Information);
        QCOMPARE(f.app.st.list.Mode, HtmlWindowMode::PeopleList);
        QVERIFY(f.page().contains(QStringLiteral("tnd.l0.ru'>Файл удален.</a>")));
        const QString list = f.page();
        f.click(QStringLiteral("l0"));
        QCOMPARE(f.pf.messageTexts().last(), QStringLiteral("Файл не найден"));
        QCOMPARE(f.page(), list);
        QCOMPARE(f.app.st.list.Mode, HtmlWindowMode::PeopleList);
    }

    void readOnlyFile()
    {
        PeopleFolder f;
        womenList(f);
        f.click(QStringLiteral("l0"));
        const QString path = f.path(QStringLiteral("a.tnw"));
        const QByteArray before = fixtures::readBytes(path);
        fixtures::setReadOnly(path, true);
        answerPassword(f, {QStringLiteral("Тайна")}, false);
        f.pf.onModal[WindowId::Kartochka] = [&] { renameInCardDialog(f, QStringLiteral("Анна Сидорова")); };
        f.click(QStringLiteral("d"));
        QCOMPARE(f.pf.messageTexts(), QStringList{QStringLiteral("Файл ") + path + QStringLiteral(" удалить не получилось.")});
        QCOMPARE(f.pf.messages[0].icon, MsgIcon::Critical);
        QCOMPARE(f.app.st.list.Mode, HtmlWindowMode::CardPage);
        f.click(QStringLiteral("i"));
        QCOMPARE(f.pf.messageTexts().last(), QStringLiteral("Файл \"") + path + QStringLiteral("\" защищён от записи."));
        // The change was not written: the card page and the list row show
        // what is on disk, and so does the next change.
        QVERIFY(f.page().contains(row(QStringLiteral("Имя и фамилия:"), QStringLiteral("Анна Петрова"))));
        QVERIFY(!f.page().contains(QStringLiteral("Сидорова")));
        QCOMPARE(f.app.st.CardFields[1].NameFamiliya, QStringLiteral("Анна Петрова"));
        f.click(QStringLiteral("n"));
        QVERIFY(f.page().contains(QStringLiteral("tnd.l0.ru'>Анна Петрова</a>")));
        QCOMPARE(fixtures::readBytes(path), before);
        fixtures::setReadOnly(path, false);
    }

    // A card file that is a symbolic link is neither changed nor deleted: the
    // change would be written wherever the link points, and deleting the link
    // would leave the card it shows.
    void cardThatIsALink_data()
    {
        QTest::addColumn<bool>("linkedBeforeOpening");
        QTest::newRow("listed as a link") << true;
        QTest::newRow("link put in its place after opening") << false;
    }
    void cardThatIsALink()
    {
        QFETCH(bool, linkedBeforeOpening);
        PeopleFolder f;
        womenList(f);
        QTemporaryDir elsewhere;
        const QString target = elsewhere.path() + QStringLiteral("/a.tnw");
        const QString path = f.path(QStringLiteral("a.tnw"));
        auto plantLink = [&] {
            QVERIFY(QFile::rename(path, target));
            QVERIFY(QFile::link(target, path));
        };
        if (linkedBeforeOpening)
            plantLink();
        f.click(QStringLiteral("l0"));
        QCOMPARE(f.app.st.list.Mode, HtmlWindowMode::CardPage);
        if (!linkedBeforeOpening)
            plantLink();
        const QByteArray before = fixtures::readBytes(target);

        answerPassword(f, {QStringLiteral("Тайна")}, false);
        f.pf.onModal[WindowId::Kartochka] = [&] { renameInCardDialog(f, QStringLiteral("Анна Сидорова")); };
        f.click(QStringLiteral("i"));
        QCOMPARE(f.pf.messageTexts(), QStringList{QStringLiteral("Файл \"") + path + QStringLiteral("\" сохранить не возможно.")});
        // The refused change leaves the page with what the file holds.
        QVERIFY(f.page().contains(row(QStringLiteral("Имя и фамилия:"), QStringLiteral("Анна Петрова"))));
        QVERIFY(!f.page().contains(QStringLiteral("Анна Сидорова")));

        f.click(QStringLiteral("d"));
        QCOMPARE(f.pf.messageTexts().last(), QStringLiteral("Файл ") + path + QStringLiteral(" удалить не получилось."));
        QCOMPARE(f.pf.messages.last().icon, MsgIcon::Critical);
        QCOMPARE(f.app.st.list.Mode, HtmlWindowMode::CardPage);

        QCOMPARE(QFileInfo(path).symLinkTarget(), target);
        QCOMPARE(fixtures::readBytes(target), before);
        QCOMPARE(QDir(elsewhere.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 QStringList{QStringLiteral("a.tnw")});
        QCOMPARE(QDir(f.app.st.folders.WorkFolder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 (QStringList{QStringLiteral("a.tnw"), QStringLiteral("b.tnw")}));
    }

    // Two desks on one folder opened Анна's card; desk A changes or deletes
    // it first. Desk B's change or deletion is then refused with a message
    // like the program's others, and B's window shows what is on disk now:
    // the card as A left it, or the list with the row marked deleted.
    void anotherDeskWasFirst_data()
    {
        QTest::addColumn<QString>("first");   // A: "name" or "delete"
        QTest::addColumn<QString>("second");  // B: "address" or "delete"
        QTest::newRow("renamed there, address changed here") << "name" << "address";
        QTest::newRow("renamed there, deleted here") << "name" << "delete";
        QTest::newRow("deleted there, address changed here") << "delete" << "address";
    }
    void anotherDeskWasFirst()
    {
        QFETCH(QString, first);
        QFETCH(QString, second);
        const QStringList details{"1,65", "55", "", "", "", "", "", "Москва", ""};
        PeopleFolder a;
        PeopleFolder b;
        womenList(a, details);
        b.app.st.folders.WorkFolder = a.app.st.folders.WorkFolder;
        b.app.st.people.ListWomen = true;
        ListLudeyLoad(b.app);
        for (PeopleFolder* desk : {&a, &b}) {
            desk->click(QStringLiteral("l0"));
            answerPassword(*desk, {QStringLiteral("Тайна")}, false);
        }
        a.pf.onModal[WindowId::Kartochka] = [&] { renameInCardDialog(a, QStringLiteral("Анна Сидорова")); };
        b.pf.onModal[WindowId::Kartochka] = [&] {
            frmKartochka_Load(b.app);
            b.app.frmKartochka.txtInfo[4].text = QStringLiteral("Тверь");
            frmKartochka_OK_Click(b.app);
        };
        const QString path = a.path(QStringLiteral("a.tnw"));
        a.click(first == QLatin1String("name") ? QStringLiteral("i") : QStringLiteral("d"));
        const QByteArray afterA = QFile::exists(path) ? fixtures::readBytes(path) : QByteArray();
        b.click(second == QLatin1String("address") ? QStringLiteral("i") : QStringLiteral("d"));

        const bool deleted = first == QLatin1String("delete");
        QCOMPARE(b.pf.messages.size(), 1);
        QCOMPARE(b.pf.messages[0].text, deleted ? QStringLiteral("Карточка удалена на другом рабочем месте.")
                                                : QStringLiteral("Карточка изменена на другом рабочем месте."));
        QCOMPARE(b.pf.messages[0].title, QStringLiteral("Тандемо"));
        QCOMPARE(b.pf.messages[0].icon, MsgIcon::Critical);
        // Nothing of B's reached the disk, and a deleted card stays deleted.
        QCOMPARE(QFile::exists(path), !deleted);
        if (!deleted)
            QCOMPARE(fixtures::readBytes(path), afterA);
        if (deleted) {
            QCOMPARE(b.app.st.list.Mode, HtmlWindowMode::PeopleList);
            QVERIFY(b.page().contains(QStringLiteral("tnd.l0.ru'>Файл удален.</a>")));
            return;
        }
        QCOMPARE(b.app.st.list.Mode, HtmlWindowMode::CardPage);
        QVERIFY(b.page().contains(row(QStringLiteral("Имя и фамилия:"), QStringLiteral("Анна Сидорова"))));
        QVERIFY(b.page().contains(row(QStringLiteral("Адрес:"), QStringLiteral("Москва"))));
        // Now that B shows the card as it is, B's change goes through and
        // keeps A's.
        b.click(QStringLiteral("i"));
        QCOMPARE(b.pf.messages.size(), 1);
        QVERIFY(b.page().contains(row(QStringLiteral("Адрес:"), QStringLiteral("Тверь"))));
        const QByteArray both = fixtures::readBytes(path);
        QVERIFY(both.contains(textfile::encode(QStringLiteral("\r\nАнна Сидорова\r\n"))));
        QVERIFY(both.contains(textfile::encode(QStringLiteral("\r\nТверь\r\n"))));
        b.click(QStringLiteral("n"));
        QVERIFY(b.page().contains(QStringLiteral("tnd.l0.ru'>Анна Сидорова</a>")));
    }

    void typedMarkupShownLiterally()
    {
        PeopleFolder f;
        const QString name = QStringLiteral("<b>Анна</b> <img src=x onerror=alert(1)>");
        QStringList details(9, QStringLiteral("<script>alert('x')</script>"));
        details[8] = QStringLiteral("a.jpg' onerror='alert(1)");
        f.person(QStringLiteral("a.tnw"), name, 1985, QStringLiteral("p"), details);
        f.app.st.people.ListWomen = true;
        ListLudeyLoad(f.app);
        QVERIFY(f.page().contains(
            QStringLiteral("tnd.l0.ru'>&lt;b&gt;Анна&lt;/b&gt; &lt;img src=x onerror=alert(1)&gt;</a>")));
        f.click(QStringLiteral("l0"));
        const QString card = f.page();
        QVERIFY(card.contains(row(QStringLiteral("Имя и фамилия:"),
                                  QStringLiteral("&lt;b&gt;Анна&lt;/b&gt; &lt;img src=x onerror=alert(1)&gt;"))));
        QVERIFY(card.contains(row(QStringLiteral("О себе:"),
                                  QStringLiteral("&lt;script&gt;alert(&#39;x&#39;)&lt;/script&gt;"))));
        QVERIFY(card.contains(QStringLiteral("<img border='0' src='a.jpg&#39; onerror=&#39;alert(1)'>")));
        QVERIFY(!card.contains(QStringLiteral("<script>")));
        QVERIFY(!card.contains(QStringLiteral("<b>Анна")));
    }
};

QTEST_GUILESS_MAIN(TestCardPage)
#include "tst_cardpage.moc"
