#include "Fixtures.h"
#include "ScriptedPlatform.h"

#include "screens/people/FrmKartochka.h"
#include "engines/Desk.h"
#include "engines/FolderStore.h"
#include "ground/App.h"
#include "ground/TextFile.h"

#include <QTemporaryDir>
#include <QTest>

namespace {
Kartochka storedWoman()
{
    Kartochka card;
    card.FileName = QStringLiteral("клуб_20090703140509.tnw");
    card.NameFamiliya = QStringLiteral("Анна Петрова");
    card.DataRogdeniya = 1985;
    card.Podrobnee = 1;
    card.Podrobnosti = {QStringLiteral("1,65"),  QStringLiteral("55"),    QStringLiteral("Шатенка"),
                        QStringLiteral("Карие"), QStringLiteral("Рыбы"),  QStringLiteral("Люблю кино"),
                        QStringLiteral("Друга"), QStringLiteral("Москва"), QStringLiteral("/фото/анна.jpg")};
    card.Pol = 1;
    card.Parol = QStringLiteral("секрет");
    card.Otvety = QStringLiteral("0123");
    return card;
}

struct Dialog {
    ScriptedPlatform pf;
    App app{pf};
    FrmKartochka& d = app.frmKartochka;

    explicit Dialog(DialogMode mode)
    {
        app.st.folders.PathSep = QStringLiteral("/");
        app.st.folders.LastFolder = QStringLiteral("/home/kiosk/");
        app.st.test.TestPassword = QStringLiteral("тест");
        app.st.Dialog = mode;
        frmKartochka_Load(app);
    }
    void fill(const QString& name, const QString& year)
    {
        d.txtNameFamiliya.text = name;
        d.txtDataRogdeniya.text = year;
    }
    void check(bool on)
    {
        d.chPodrobnee.checked = on;
        frmKartochka_chPodrobnee_Click(app);
    }
    // The nine detail controls and the photo button, in the order of the card's details.
    std::vector<const Control*> detailControls() const
    {
        return {&d.txtInfo[0], &d.txtInfo[1], &d.lstRaznoe[0], &d.lstRaznoe[1], &d.lstRaznoe[2],
                &d.lstRaznoe[3], &d.txtInfo[2], &d.txtInfo[3], &d.txtInfo[4], &d.txtInfo[5], &d.kObzorEmblema};
    }
};
}

class TestFrmKartochka : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void freshCard()
    {
        Dialog t(DialogMode::NewCard);
        FrmKartochka& d = t.d;
        QCOMPARE(d.caption, QStringLiteral("Личная карточная"));
        QVERIFY(d.visible);
        QVERIFY(d.selPol[0].checked && !d.selPol[1].checked);
        QVERIFY(d.selPol[0].enabled && d.selPol[1].enabled);
        QCOMPARE(d.selPol[0].text, QStringLiteral("Мужчина"));
        QCOMPARE(d.selPol[1].text, QStringLiteral("Женщина"));
        QCOMPARE(d.txtDataRogdeniya.text, QStringLiteral("19"));
        QCOMPARE(d.txtDataRogdeniya.maxLength, 4);
        QVERIFY(d.txtNameFamiliya.text.isEmpty());
        QVERIFY(!d.chPodrobnee.checked);
        for (const Control* c : t.detailControls())
            QVERIFY2(!c->enabled, qPrintable(c->name));
        QVERIFY(d.lstRaznoe[0].visible && !d.lstRaznoe[1].visible);
        QCOMPARE(d.lstRaznoe[0].items, (QStringList{"Блондин", "Брюнет", "Шатен", "Русый", "Без волос"}));
        QCOMPARE(d.lstRaznoe[1].items, (QStringList{"Блондинка", "Брюнетка", "Шатенка", "Русый", "Без волос"}));
        QCOMPARE(d.lstRaznoe[2].items, (QStringList{"Голубые", "Зелёные", "Карие"}));
        QCOMPARE(d.lstRaznoe[3].items,
                 (QStringList{"Овен", "Телец", "Близнецы", "Рак", "Лев", "Дева", "Весы", "Скорпион", "Стрелец",
                              "Козерог", "Водолей", "Рыбы"}));
        for (const Control& list : d.lstRaznoe) {
            QCOMPARE(list.listIndex, 0);
            QCOMPARE(list.text, list.items[0]);
        }
        QCOMPARE(d.OK.text, QStringLiteral("ОК"));
        QCOMPARE(d.NO.text, QStringLiteral("Отмена"));
        QCOMPARE(d.cancelButton, d.NO.name);
    }

    void validation_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("year");
        QTest::addColumn<QString>("focus");  // empty: accepted
        QTest::addColumn<int>("stored");
        QTest::newRow("no name") << "" << "1985" << "txtNameFamiliya" << 0;
        QTest::newRow("year left at 19") << "Иван" << "19" << "txtDataRogdeniya" << 0;
        QTest::newRow("1899") << "Иван" << "1899" << "txtDataRogdeniya" << 0;
        QTest::newRow("empty year") << "Иван" << "" << "txtDataRogdeniya" << 0;
        QTest::newRow("1900") << "Иван" << "1900" << "" << 1900;
        QTest::newRow("no upper limit") << "Иван" << "9999" << "" << 9999;
        QTest::newRow("digits after text") << "Иван" << "1985abc" << "" << 1985;
    }
    void validation()
    {
        QFETCH(QString, name);
        QFETCH(QString, year);
        QFETCH(QString, focus);
        QFETCH(int, stored);
        Dialog t(DialogMode::NewCard);
        t.app.st.CardFields[0].NameFamiliya = QStringLiteral("прежний");
        t.fill(name, year);
        t.d.focus = t.d.OK.name;
        frmKartochka_OK_Click(t.app);
        QVERIFY(t.pf.messages.isEmpty());
        if (!focus.isEmpty()) {
            QCOMPARE(t.d.focus, focus);
            QVERIFY(t.d.visible && !t.d.closeRequested);
            QCOMPARE(t.app.st.Dialog, DialogMode::NewCard);
            QCOMPARE(t.app.st.CardFields[0].NameFamiliya, QStringLiteral("прежний"));
        } else {
            QVERIFY(!t.d.visible && t.d.closeRequested);
            QCOMPARE(t.app.st.Dialog, DialogMode::Confirmed);
            QCOMPARE(t.app.st.CardFields[0].NameFamiliya, name);
            QCOMPARE(t.app.st.CardFields[0].DataRogdeniya, stored);
            QCOMPARE(t.pf.processEventsCalls, 1);
        }
    }

    // A card that a reader would cut is refused in the dialog, with a message
    // that names the field; the dialog stays open on that field and the
    // card is left as it was. The answers still to come are counted in.
    void tooLongCardRefused_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("field");    // control that gets the long text
        QTest::addColumn<qsizetype>("length");
        QTest::addColumn<int>("questions");
        QTest::addColumn<QString>("caption");  // empty: accepted
        const qsizetype card = textfile::kMaxCardBytes;
        const qsizetype head = textfile::kMaxCardHeadBytes;
        const int newCard = static_cast<int>(DialogMode::NewCard);
        const int listCard = static_cast<int>(DialogMode::ListCard);
        QTest::newRow("about, new card") << newCard << "txtInfo(2)" << card << 0 << "О себе";
        QTest::newRow("address, stored card") << listCard << "txtInfo(4)" << card << 0 << "Адрес";
        QTest::newRow("name past the lists' bound") << newCard << "txtNameFamiliya" << head << 0 << "Имя и фамилия";
        QTest::newRow("about that fits") << newCard << "txtInfo(2)" << card - 100 << 0 << "";
        QTest::newRow("about that the answers push over") << newCard << "txtInfo(2)" << card - 100 << 200 << "О себе";
    }
    void tooLongCardRefused()
    {
        QFETCH(int, mode);
        QFETCH(QString, field);
        QFETCH(qsizetype, length);
        QFETCH(int, questions);
        QFETCH(QString, caption);
        ScriptedPlatform pf;
        App app(pf);
        app.st.test.QuestionCount = questions;
        app.st.CardFields[1] = storedWoman();
        const Kartochka before = app.st.CardFields[static_cast<DialogMode>(mode) == DialogMode::ListCard ? 1 : 0];
        app.st.Dialog = static_cast<DialogMode>(mode);
        frmKartochka_Load(app);
        FrmKartochka& d = app.frmKartochka;
        d.txtNameFamiliya.text = QStringLiteral("Анна");
        d.txtDataRogdeniya.text = QStringLiteral("1985");
        d.chPodrobnee.checked = true;
        frmKartochka_chPodrobnee_Click(app);
        d.find(field)->text = QString(length, QLatin1Char('x'));
        frmKartochka_OK_Click(app);
        if (caption.isEmpty()) {
            QVERIFY(pf.messages.isEmpty());
            QCOMPARE(app.st.Dialog, DialogMode::Confirmed);
            return;
        }
        QCOMPARE(pf.messageTexts(), QStringList{QStringLiteral("Поле \"") + caption +
                                                QStringLiteral("\" слишком длинное, карточку сохранить не возможно.")});
        QCOMPARE(pf.messages[0].title, QStringLiteral("Тандемо"));
        QCOMPARE(pf.messages[0].icon, MsgIcon::Critical);
        QVERIFY(d.visible && !d.closeRequested);
        QCOMPARE(d.focus, field);
        QCOMPARE(app.st.Dialog, static_cast<DialogMode>(mode));
        const Kartochka& after = app.st.CardFields[static_cast<size_t>(d.slot)];
        QCOMPARE(after.NameFamiliya, before.NameFamiliya);
        QCOMPARE(after.Podrobnosti, before.Podrobnosti);
    }

    void yearKeys_data()
    {
        QTest::addColumn<QChar>("key");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("0") << QChar(u'0') << true;
        QTest::newRow("9") << QChar(u'9') << true;
        QTest::newRow("backspace") << QChar(8) << true;
        QTest::newRow("letter") << QChar(u'a') << false;
        QTest::newRow("cyrillic") << QChar(u'г') << false;
        QTest::newRow("minus") << QChar(u'-') << false;
        QTest::newRow("blank") << QChar(u' ') << false;
        QTest::newRow("arabic-indic digit") << QChar(0x0663) << false;
    }
    void yearKeys()
    {
        QFETCH(QChar, key);
        QFETCH(bool, accepted);
        Dialog t(DialogMode::NewCard);
        QCOMPARE(frmKartochka_txtDataRogdeniya_KeyPress(t.app, key), accepted);
    }

    void yearFocusPutsCaretAtEnd()
    {
        Dialog t(DialogMode::NewCard);
        t.d.txtDataRogdeniya.selStart = 0;
        t.d.txtDataRogdeniya.selLength = 2;
        frmKartochka_txtDataRogdeniya_GotFocus(t.app);
        QCOMPARE(t.d.txtDataRogdeniya.selStart, 2);
        QCOMPARE(t.d.txtDataRogdeniya.selLength, 0);
    }

    void newCardWithDetails()
    {
        Dialog t(DialogMode::NewCard);
        t.fill(QStringLiteral("Ольга"), QStringLiteral("1990"));
        frmKartochka_selPol_Click(t.app, 1);
        QVERIFY(t.d.lstRaznoe[1].visible && !t.d.lstRaznoe[0].visible);
        t.check(true);
        for (const Control* c : t.detailControls())
            QVERIFY2(c->enabled, qPrintable(c->name));
        t.d.txtInfo[0].text = QStringLiteral("1,70");
        t.d.txtInfo[1].text = QStringLiteral("60");
        frmKartochka_lstRaznoe_Click(t.app, 1, 1);
        frmKartochka_lstRaznoe_Click(t.app, 0, 3);  // the hidden men's list does not count
        frmKartochka_lstRaznoe_Click(t.app, 2, 2);
        frmKartochka_lstRaznoe_Click(t.app, 3, 11);
        t.d.txtInfo[2].text = QStringLiteral("О себе, \"кавычки\"");
        t.d.txtInfo[3].text = QStringLiteral("Друга");
        t.d.txtInfo[4].text = QStringLiteral("Тверь");
        QTemporaryDir tmp;
        const QString photo = tmp.path() + QStringLiteral("/о.jpg");
        fixtures::writeBytes(photo, QByteArray("\xFF\xD8\xFF\xE0\x00\x10JFIF", 10));
        t.d.txtInfo[5].text = photo;
        frmKartochka_OK_Click(t.app);
        const Kartochka& card = t.app.st.CardFields[0];
        QCOMPARE(card.Pol, 1);
        QCOMPARE(card.Parol, QStringLiteral("тест"));
        QCOMPARE(card.Podrobnee, 1);
        const std::array<QString, 9> expected{QStringLiteral("1,70"), QStringLiteral("60"), QStringLiteral("Брюнетка"),
                                              QStringLiteral("Карие"), QStringLiteral("Рыбы"),
                                              QStringLiteral("О себе, \"кавычки\""), QStringLiteral("Друга"),
                                              QStringLiteral("Тверь"), photo};
        QCOMPARE(card.Podrobnosti, expected);
    }

    // A photo is taken only when the file is a picture by its content; the
    // person hears why and stays in the dialog.
    void photoMustBeAPicture_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("content");  // empty: no such file
        QTest::addColumn<bool>("taken");
        QTest::newRow("JPEG") << QStringLiteral("я.jpg") << QByteArray("\xFF\xD8\xFF\xE0", 4) << true;
        QTest::newRow("PNG by a bare name") << QStringLiteral("я.png") << QByteArray("\x89PNG\r\n\x1A\n", 8) << true;
        QTest::newRow("text named .jpg") << QStringLiteral("письмо.jpg") << QByteArray("Дорогая Анна") << false;
        QTest::newRow("missing") << QStringLiteral("нет.jpg") << QByteArray() << false;
        QTest::newRow("system file") << QStringLiteral("/etc/passwd") << QByteArray() << false;
        QTest::newRow("text named .png by a bare name") << QStringLiteral("письмо.png") << QByteArray("text") << false;
    }
    void photoMustBeAPicture()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, content);
        QFETCH(bool, taken);
        QTemporaryDir tmp;
        Dialog t(DialogMode::NewCard);
        t.app.st.folders.WorkFolder = tmp.path() + QLatin1Char('/');
        if (!content.isEmpty())
            fixtures::writeBytes(t.app.st.folders.WorkFolder + name, content);
        t.fill(QStringLiteral("Ольга"), QStringLiteral("1990"));
        t.check(true);
        // A bare name is the test folder's.
        t.d.txtInfo[5].text = name.startsWith(QLatin1Char('/')) || name.endsWith(QLatin1String(".png"))
                                  ? name
                                  : t.app.st.folders.WorkFolder + name;
        frmKartochka_OK_Click(t.app);
        QCOMPARE(t.app.st.Dialog == DialogMode::Confirmed, taken);
        QCOMPARE(t.pf.messages.isEmpty(), taken);
        if (!taken) {
            QVERIFY(t.pf.messages.constLast().text.contains(QStringLiteral("не является фотографией")));
            QCOMPARE(t.d.focus, t.d.txtInfo[5].name);
            QVERIFY(t.d.visible);
        }
    }

    void uncheckedDetailsStoreNothing()
    {
        Dialog t(DialogMode::NewCard);
        t.app.st.CardFields[0].Podrobnosti[5] = QStringLiteral("прежнее");
        t.fill(QStringLiteral("Иван"), QStringLiteral("1970"));
        t.check(true);
        t.d.txtInfo[2].text = QStringLiteral("О себе");
        t.check(false);
        for (const Control* c : t.detailControls())
            QVERIFY2(!c->enabled, qPrintable(c->name));
        QCOMPARE(t.d.txtInfo[2].text, QStringLiteral("О себе"));  // contents stay in the form
        frmKartochka_OK_Click(t.app);
        QCOMPARE(t.app.st.CardFields[0].Podrobnee, 0);
        QCOMPARE(t.app.st.CardFields[0].Podrobnosti, (std::array<QString, 9>{}));
        QCOMPARE(t.app.st.CardFields[0].Pol, 0);
    }

    void photoButton()
    {
        Dialog t(DialogMode::NewCard);
        t.check(true);
        t.d.txtInfo[5].text = QStringLiteral("/старое.jpg");
        frmKartochka_kObzorEmblema_Click(t.app);  // cancelled
        QCOMPARE(t.d.txtInfo[5].text, QStringLiteral("/старое.jpg"));
        QCOMPARE(t.app.st.folders.LastFolder, QStringLiteral("/home/kiosk/"));
        t.pf.fileAnswers.push_back(QStringLiteral("/media/фото/я.png"));
        frmKartochka_kObzorEmblema_Click(t.app);
        QCOMPARE(t.d.txtInfo[5].text, QStringLiteral("/media/фото/я.png"));
        QCOMPARE(t.app.st.folders.LastFolder, QStringLiteral("/media/фото/"));
        QCOMPARE(t.pf.fileDialogs.size(), 2);
        const auto& call = t.pf.fileDialogs[0];
        QVERIFY(!call.save);
        QCOMPARE(call.initialFolder, QStringLiteral("/home/kiosk/"));
        QCOMPARE(call.filters.value(0), (FileFilter{QStringLiteral("All picture files (*.*)"), QStringLiteral("*.*")}));
    }

    void cancelKeepsEverything()
    {
        Dialog t(DialogMode::NewCard);
        t.app.st.CardFields[0] = storedWoman();
        t.fill(QStringLiteral("Другое имя"), QStringLiteral("1999"));
        frmKartochka_NO_Click(t.app);
        QVERIFY(!t.d.visible && t.d.closeRequested);
        QCOMPARE(t.app.st.Dialog, DialogMode::NewCard);
        QCOMPARE(t.app.st.CardFields[0].NameFamiliya, QStringLiteral("Анна Петрова"));
        QCOMPARE(t.app.st.CardFields[0].DataRogdeniya, 1985);
    }

    void storedCardKeepsSexAndValues_data()
    {
        QTest::addColumn<DialogMode>("mode");
        QTest::addColumn<int>("slot");
        QTest::newRow("own card during the test") << DialogMode::OwnCard << 0;
        QTest::newRow("card change from the list") << DialogMode::ListCard << 1;
    }
    void storedCardKeepsSexAndValues()
    {
        QFETCH(DialogMode, mode);
        QFETCH(int, slot);
        ScriptedPlatform pf;
        App app(pf);
        const Kartochka before = storedWoman();
        app.st.CardFields[static_cast<size_t>(slot)] = before;
        app.st.test.TestPassword = QStringLiteral("другой");
        app.st.people.People = QList<PersonEntry>(3);
        app.st.people.CurrentPerson = 2;
        app.st.Dialog = mode;
        frmKartochka_Load(app);
        FrmKartochka& d = app.frmKartochka;
        QCOMPARE(d.slot, slot);
        QVERIFY(d.selPol[1].checked && !d.selPol[0].checked);
        QVERIFY(!d.selPol[0].enabled && d.selPol[1].enabled);
        QVERIFY(d.lstRaznoe[1].visible && !d.lstRaznoe[0].visible);
        QCOMPARE(d.txtNameFamiliya.text, before.NameFamiliya);
        QCOMPARE(d.txtDataRogdeniya.text, QStringLiteral("1985"));
        QVERIFY(d.chPodrobnee.checked && d.txtInfo[0].enabled && d.kObzorEmblema.enabled);
        QCOMPARE(d.lstRaznoe[1].text, QStringLiteral("Шатенка"));
        QCOMPARE(d.lstRaznoe[1].listIndex, 2);
        QCOMPARE(d.lstRaznoe[0].text, QStringLiteral("Блондин"));
        QCOMPARE(d.txtInfo[5].text, before.Podrobnosti[8]);

        d.txtNameFamiliya.text = QStringLiteral("Анна Иванова");
        frmKartochka_OK_Click(app);
        QCOMPARE(app.st.Dialog, DialogMode::Confirmed);
        const Kartochka& after = app.st.CardFields[static_cast<size_t>(slot)];
        QCOMPARE(after.NameFamiliya, QStringLiteral("Анна Иванова"));
        QCOMPARE(after.Podrobnosti, before.Podrobnosti);
        QCOMPARE(after.Pol, 1);
        QCOMPARE(after.Parol, QStringLiteral("секрет"));
        QCOMPARE(after.FileName, before.FileName);
        QCOMPARE(after.Otvety, before.Otvety);
        // Only a change from the list touches the list's row.
        QCOMPARE(app.st.people.People[2].NameFamiliya, mode == DialogMode::ListCard ? QStringLiteral("Анна Иванова") : QString());
        QCOMPARE(app.st.people.People[2].Podrobnee, mode == DialogMode::ListCard ? 1 : 0);
    }

    void storedValueOutsideTheList()
    {
        ScriptedPlatform pf;
        App app(pf);
        Kartochka card = storedWoman();
        card.Pol = 0;
        card.Podrobnosti[2] = QStringLiteral("Рыжий");  // typed in, not an item
        app.st.CardFields[0] = card;
        app.st.Dialog = DialogMode::OwnCard;
        frmKartochka_Load(app);
        QCOMPARE(app.frmKartochka.lstRaznoe[0].text, QStringLiteral("Рыжий"));
        QCOMPARE(app.frmKartochka.lstRaznoe[0].listIndex, -1);
        frmKartochka_OK_Click(app);
        QCOMPARE(app.st.CardFields[0].Podrobnosti[2], QStringLiteral("Рыжий"));
        QCOMPARE(app.st.CardFields[0].Podrobnosti[3], QStringLiteral("Карие"));
    }

    void reopeningStartsFresh()
    {
        Dialog t(DialogMode::NewCard);
        t.fill(QStringLiteral("Ольга"), QStringLiteral("1990"));
        frmKartochka_selPol_Click(t.app, 1);
        t.check(true);
        frmKartochka_lstRaznoe_Click(t.app, 3, 5);
        frmKartochka_OK_Click(t.app);
        t.app.st.Dialog = DialogMode::NewCard;
        frmKartochka_Load(t.app);
        QVERIFY(t.d.txtNameFamiliya.text.isEmpty());
        QCOMPARE(t.d.txtDataRogdeniya.text, QStringLiteral("19"));
        QVERIFY(t.d.selPol[0].checked && !t.d.chPodrobnee.checked && !t.d.txtInfo[0].enabled);
        QCOMPARE(t.d.lstRaznoe[3].listIndex, 0);
        QVERIFY(!t.d.closeRequested && t.d.visible);
    }

    // "Кого ищу": empty fields are no bound; a wrong bound keeps the dialog
    // open on its field and the card as it was.
    void seekingBounds_data()
    {
        QTest::addColumn<QStringList>("fields");  // age from, age to, height from, height to
        QTest::addColumn<QString>("focus");       // empty: accepted
        QTest::addColumn<QString>("accepts");
        const auto enc = [](std::optional<int> a, std::optional<int> b, std::optional<double> h, std::optional<double> i) {
            desk::Seeking s;
            s.ageFrom = a;
            s.ageTo = b;
            s.heightFrom = h;
            s.heightTo = i;
            return desk::EncodeSeeking(s);
        };
        QTest::newRow("all empty") << QStringList{"", "", "", ""} << "" << "";
        QTest::newRow("ages") << QStringList{"18", " 30 ", "", ""} << "" << enc(18, 30, {}, {});
        QTest::newRow("only to") << QStringList{"", "40", "", ""} << "" << enc({}, 40, {}, {});
        QTest::newRow("equal, the widest") << QStringList{"0", "0", "", ""} << "" << enc(0, 0, {}, {});
        QTest::newRow("150") << QStringList{"", "150", "", ""} << "" << enc({}, 150, {}, {});
        QTest::newRow("151") << QStringList{"", "151", "", ""} << "txtSeekAge(1)" << "";
        QTest::newRow("negative") << QStringList{"-1", "", "", ""} << "txtSeekAge(0)" << "";
        QTest::newRow("not a number") << QStringList{"двадцать", "", "", ""} << "txtSeekAge(0)" << "";
        QTest::newRow("from above to") << QStringList{"30", "18", "", ""} << "txtSeekAge(1)" << "";
        QTest::newRow("heights as typed") << QStringList{"", "", "1,6", "185"} << "" << enc({}, {}, 1.6, 1.85);
        QTest::newRow("equal heights") << QStringList{"", "", "1.7", "170 см"} << "" << enc({}, {}, 1.7, 1.7);
        QTest::newRow("no height") << QStringList{"", "", "высокий", ""} << "txtSeekHeight(0)" << "";
        QTest::newRow("heights reversed") << QStringList{"", "", "1,9", "1,6"} << "txtSeekHeight(1)" << "";
        QTest::newRow("age checked first") << QStringList{"40", "30", "x", ""} << "txtSeekAge(1)" << "";
    }
    void seekingBounds()
    {
        QFETCH(QStringList, fields);
        QFETCH(QString, focus);
        QFETCH(QString, accepts);
        Dialog t(DialogMode::NewCard);
        t.app.st.CardFields[0].Accepts = QStringLiteral("прежнее");
        t.fill(QStringLiteral("Иван"), QStringLiteral("1980"));
        t.d.txtSeekAge[0].text = fields[0];
        t.d.txtSeekAge[1].text = fields[1];
        t.d.txtSeekHeight[0].text = fields[2];
        t.d.txtSeekHeight[1].text = fields[3];
        frmKartochka_OK_Click(t.app);
        QVERIFY(t.pf.messages.isEmpty());
        if (!focus.isEmpty()) {
            QCOMPARE(t.d.focus, focus);
            QVERIFY(t.d.visible && !t.d.closeRequested);
            QCOMPARE(t.app.st.Dialog, DialogMode::NewCard);
            QCOMPARE(t.app.st.CardFields[0].Accepts, QStringLiteral("прежнее"));
        } else {
            QCOMPARE(t.app.st.Dialog, DialogMode::Confirmed);
            QCOMPARE(t.app.st.CardFields[0].Accepts, accepts);
        }
    }

    // The hair colours offered are the other sex's; the ticks keep their
    // places when the sex changes, and the own card during the attempt shows
    // what was chosen.
    void seekingColours()
    {
        Dialog t(DialogMode::NewCard);
        t.fill(QStringLiteral("Иван"), QStringLiteral("1980"));
        QCOMPARE(t.d.chSeekHair[0].text, QStringLiteral("Блондинка"));
        frmKartochka_selPol_Click(t.app, 1);
        QCOMPARE(t.d.chSeekHair[0].text, QStringLiteral("Блондин"));
        frmKartochka_selPol_Click(t.app, 0);
        t.d.chSeekHair[0].checked = true;
        t.d.chSeekHair[2].checked = true;
        t.d.chSeekEyes[2].checked = true;
        t.d.txtSeekAge[0].text = QStringLiteral("25");
        frmKartochka_OK_Click(t.app);
        const auto kept = desk::DecodeSeeking(t.app.st.CardFields[0].Accepts);
        QVERIFY(kept);
        QCOMPARE(kept->hair, (QStringList{"Блондинка", "Шатенка"}));
        QCOMPARE(kept->eyes, QStringList{"Карие"});
        QCOMPARE(kept->ageFrom, std::optional<int>(25));

        t.app.st.Dialog = DialogMode::OwnCard;
        frmKartochka_Load(t.app);
        QCOMPARE(t.d.txtSeekAge[0].text, QStringLiteral("25"));
        QVERIFY(t.d.chSeekHair[0].checked && !t.d.chSeekHair[1].checked && t.d.chSeekHair[2].checked);
        QVERIFY(t.d.chSeekEyes[2].checked && !t.d.chSeekEyes[0].checked);
        // A new person starts with no bounds.
        t.app.st.Dialog = DialogMode::NewCard;
        frmKartochka_Load(t.app);
        QVERIFY(t.d.txtSeekAge[0].text.isEmpty() && !t.d.chSeekHair[0].checked && !t.d.chSeekEyes[2].checked);
    }

    // A card from the lists shows the bounds the folder keeps for it.
    void listCardShowsKeptBounds()
    {
        QTemporaryDir tmp;
        ScriptedPlatform pf;
        App app(pf);
        app.st.folders.WorkFolder = tmp.path() + QLatin1Char('/');
        app.st.CardFields[1] = storedWoman();
        desk::Seeking s;
        s.ageTo = 45;
        s.heightFrom = 1.75;
        s.hair = QStringList{QStringLiteral("Шатен")};
        QCOMPARE(desk::WriteSeeking(*store::Open(app.st.folders.WorkFolder), app.st.CardFields[1].FileName, s),
                 store::Result::Ok);
        app.st.Dialog = DialogMode::ListCard;
        frmKartochka_Load(app);
        FrmKartochka& d = app.frmKartochka;
        QVERIFY(d.txtSeekAge[0].text.isEmpty());
        QCOMPARE(d.txtSeekAge[1].text, QStringLiteral("45"));
        QCOMPARE(d.txtSeekHeight[0].text, QStringLiteral("1,75"));
        QCOMPARE(d.chSeekHair[2].text, QStringLiteral("Шатен"));
        QVERIFY(d.chSeekHair[2].checked && !d.chSeekHair[0].checked);
        QCOMPARE(d.acceptsShown, desk::EncodeSeeking(s));
        frmKartochka_OK_Click(app);
        QCOMPARE(app.st.CardFields[1].Accepts, d.acceptsShown);
    }
};

QTEST_GUILESS_MAIN(TestFrmKartochka)
#include "tst_frmkartochka.moc"
