#include "Fixtures.h"
#include "ScriptedPlatform.h"
#include "TakingFixture.h"

#include "engines/Consent.h"
#include "engines/FolderStore.h"
#include "engines/Journal.h"
#include "screens/taking/ConsentStep.h"
#include "screens/taking/TestFlow.h"
#include "shell/MainCommands.h"
#include "shell/VyborOtveta.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

using fixtures::folderEntries;
using fixtures::readBytes;

Q_DECLARE_METATYPE(std::function<void(App&)>)

namespace {
const QByteArray kText = QByteArrayLiteral("<html><body><h1>Согласие</h1><p>Агентство «Тандем» хранит анкеты.</p>"
                                           "<script>alert(1)</script></body></html>");
const QString kSaved = QStringLiteral("Результаты тестирование сохранены.");

// How the person answers the consent window, as its controls are used.
using Answer = std::function<void(App&)>;
Answer consentTo(bool data, bool photo)
{
    return [data, photo](App& app) {
        app.frmSoglasie.chDannye.checked = data;
        frmSoglasie_Event(app, {UiEvent::Click, QStringLiteral("chDannye")});
        app.frmSoglasie.chFoto.checked = photo;
        frmSoglasie_Event(app, {UiEvent::Click, QStringLiteral("chFoto")});
        frmSoglasie_Event(app, {UiEvent::Click, QStringLiteral("kDalee")});
    };
}

// A test of two questions with the consent text beside it (none when empty).
struct ConsentSession : TakingSession {
    QTemporaryDir tmp;
    Answer answer = consentTo(true, true);
    // The card dialog's photo field and button as the person found them
    // once "Подробнее:" was checked, and a photo they then tried to choose.
    bool photoEnabled = true;
    bool browseEnabled = true;
    QString photoText = QStringLiteral("unset");

    explicit ConsentSession(const QByteArray& text = kText) : TakingSession(QString(), 2)
    {
        const QString folder = tmp.path() + QLatin1Char('/');
        app.st.folders.WorkFolder = folder;
        app.st.test.TestFilePath = folder + QStringLiteral("Знакомства.tnd");
        fixtures::writeBytes(app.st.test.TestFilePath, QByteArrayLiteral("test"));
        if (!text.isEmpty())
            fixtures::writeBytes(consent::TextPath(app.st.test.TestFilePath), text);
        pf.onModal[WindowId::Soglasie] = [this] {
            QVERIFY(app.frmSoglasie.visible);
            QVERIFY(!app.frmSoglasie.chDannye.checked);
            QVERIFY(!app.frmSoglasie.chFoto.checked);
            answer(app);
        };
        pf.onModal[WindowId::Kartochka] = [this] {
            frmKartochka_Load(app);
            FrmKartochka& d = app.frmKartochka;
            d.txtNameFamiliya.text = name;
            d.txtDataRogdeniya.text = year;
            frmKartochka_selPol_Click(app, 1);
            d.chPodrobnee.checked = true;
            frmKartochka_chPodrobnee_Click(app);
            photoEnabled = d.txtInfo[5].enabled;
            browseEnabled = d.kObzorEmblema.enabled;
            pf.fileAnswers.push_back(app.st.folders.WorkFolder + QStringLiteral("photo.jpg"));
            frmKartochka_kObzorEmblema_Click(app);
            photoText = d.txtInfo[5].text;
            // A photo that was not a picture is refused by the dialog: keep
            // the card valid whatever was chosen.
            if (photoEnabled)
                d.txtInfo[5].text.clear();
            frmKartochka_OK_Click(app);
        };
    }

    void take()
    {
        ReStart(app, 0);
        VyborOtveta(app, QStringLiteral("http://tnd.s.ru/"));
        if (app.st.main.Phase != TestPhase::Attempt)
            return;
        VyborOtveta(app, bareLink(QStringLiteral("1")));
        VyborOtveta(app, bareLink(QStringLiteral("0")));
        VyborOtveta(app, bareLink(QStringLiteral("r")));
    }

    QStringList personFiles() const
    {
        return QDir(app.st.folders.WorkFolder).entryList({QStringLiteral("*.tnw"), QStringLiteral("*.tnm")}, QDir::Files);
    }
};
}  // namespace

class TestConsent : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void consentKeptWithTheResult_data()
    {
        QTest::addColumn<bool>("photo");
        QTest::newRow("data and photo") << true;
        QTest::newRow("data without photo") << false;
    }
    void consentKeptWithTheResult()
    {
        QFETCH(bool, photo);
        ConsentSession s;
        s.pf.clock = QDateTime(QDate(2026, 12, 10), QTime(10, 20, 30), Qt::OffsetFromUTC, 3 * 3600);
        s.answer = consentTo(true, photo);
        s.take();

        QCOMPARE(s.pf.modals.size(), 2);
        QCOMPARE(s.pf.modals.first(), WindowId::Soglasie);
        QCOMPARE(s.pf.modals.at(1), WindowId::Kartochka);
        // The window showed the text as a safe fragment, never its script.
        QVERIFY(s.app.frmSoglasie.txtSoglasie.text.contains(QStringLiteral("Агентство «Тандем» хранит анкеты.")));
        QVERIFY(!s.app.frmSoglasie.txtSoglasie.text.contains(QStringLiteral("script")));
        QCOMPARE(s.photoEnabled, photo);
        QCOMPARE(s.browseEnabled, photo);
        if (!photo)
            QCOMPARE(s.photoText, QString());
        QVERIFY2(s.app.st.main.MainHtml.contains(kSaved), qPrintable(s.pf.messageTexts().join("|") + s.app.st.main.MainHtml));

        const QStringList files = s.personFiles();
        QCOMPARE(files.size(), 1);
        QCOMPARE(s.app.st.CardFields[0].Podrobnosti[8], QString());
        const auto kept = store::Open(s.app.st.folders.WorkFolder);
        const std::optional<consent::Record> record = consent::Load(*kept, files.first());
        QVERIFY(record);
        QCOMPARE(record->data, true);
        QCOMPARE(record->photo, photo);
        QCOMPARE(record->time, s.pf.clock);
        QCOMPARE(record->textSha256, journal::Sha256Hex(kText));
        QCOMPARE(consent::TextShown(*kept, record->textSha256), std::optional<QByteArray>(kText));
    }

    // The own card opened during the attempt keeps the photo closed too.
    void ownCardDuringTheAttemptTakesNoPhoto()
    {
        ConsentSession s;
        s.answer = consentTo(true, false);
        ReStart(s.app, 0);
        VyborOtveta(s.app, QStringLiteral("http://tnd.s.ru/"));
        QCOMPARE(s.app.st.main.Phase, TestPhase::Attempt);
        s.photoEnabled = true;
        s.browseEnabled = true;
        frmForma_Event(s.app, {UiEvent::Click, QStringLiteral("FileKartochka")});
        QCOMPARE(s.pf.modals.count(WindowId::Kartochka), 2);
        QVERIFY(!s.photoEnabled);
        QVERIFY(!s.browseEnabled);
        QCOMPARE(s.photoText, QString());
    }

    void withoutDataConsentNothingIsWritten_data()
    {
        QTest::addColumn<Answer>("answer");
        QTest::newRow("refused") << Answer([](App& app) {
            app.frmSoglasie.chDannye.checked = true;
            app.frmSoglasie.chFoto.checked = true;
            frmSoglasie_Event(app, {UiEvent::Click, QStringLiteral("kOtkaz")});
        });
        QTest::newRow("continue unticked") << consentTo(false, true);
        QTest::newRow("window closed") << Answer([](App& app) {
            app.frmSoglasie.chDannye.checked = true;
            app.frmSoglasie.visible = false;
        });
    }
    void withoutDataConsentNothingIsWritten()
    {
        QFETCH(Answer, answer);
        ConsentSession s;
        const QStringList before = folderEntries(s.tmp.path());
        const bool hidden = QDir(s.tmp.path() + QStringLiteral("/.kartoteka")).exists();
        s.answer = answer;
        s.take();
        QCOMPARE(s.pf.modals, QList<WindowId>{WindowId::Soglasie});
        QCOMPARE(s.app.st.main.Phase, TestPhase::StartPage);
        QVERIFY(s.app.st.main.MainHtml.contains(QStringLiteral("Начать тестирование")));
        QCOMPARE(s.pf.messages.size(), 1);
        QCOMPARE(s.pf.messages.first().icon, MsgIcon::Information);
        QVERIFY(s.pf.messages.first().text.contains(QStringLiteral("не сохраняется")));
        QCOMPARE(folderEntries(s.tmp.path()), before);
        QCOMPARE(QDir(s.tmp.path() + QStringLiteral("/.kartoteka")).exists(), hidden);
        QVERIFY(!s.app.st.consent.Given);
    }

    // A test without a consent text asks nothing and keeps no consent.
    void withoutConsentTextNothingChanges()
    {
        ConsentSession s(QByteArray{});
        s.take();
        QCOMPARE(s.pf.modals, QList<WindowId>{WindowId::Kartochka});
        QVERIFY(s.photoEnabled);
        QCOMPARE(s.photoText, s.app.st.folders.WorkFolder + QStringLiteral("photo.jpg"));
        QCOMPARE(s.personFiles().size(), 1);
        QVERIFY(s.pf.messages.isEmpty());
        QVERIFY(store::Open(s.app.st.folders.WorkFolder)->keys(consent::kKind).isEmpty());
    }

    // An attempt with consent, then one of a test whose text has gone: the
    // second person is not taken for the first one's consent.
    void consentBelongsToOneAttempt()
    {
        ConsentSession s;
        s.answer = consentTo(true, false);
        s.take();
        QFile::remove(consent::TextPath(s.app.st.test.TestFilePath));
        s.pf.clock = s.pf.clock.addSecs(60);
        s.take();
        QVERIFY(s.photoEnabled);
        const QStringList files = s.personFiles();
        QCOMPARE(files.size(), 2);
        const auto kept = store::Open(s.app.st.folders.WorkFolder);
        QCOMPARE(kept->keys(consent::kKind).size(), 1);
    }

    // The consent cannot be kept: the result goes with it, and the end page
    // confirms nothing.
    void noResultWithoutItsConsentRecord()
    {
        ConsentSession s;
        // The store's folder for consent texts is taken by a plain file.
        QDir().mkpath(s.tmp.path() + QStringLiteral("/.kartoteka"));
        fixtures::writeBytes(s.tmp.path() + QStringLiteral("/.kartoteka/") + consent::kTextKind, "x");
        s.take();
        QCOMPARE(s.app.st.main.Phase, TestPhase::Finished);
        QVERIFY(s.personFiles().isEmpty());
        QVERIFY(!s.app.st.main.MainHtml.contains(kSaved));
        QVERIFY(s.app.st.main.MainHtml.contains(QStringLiteral("Поиск пары")));
        QCOMPARE(s.pf.messages.size(), 1);
        QCOMPARE(s.pf.messages.first().icon, MsgIcon::Critical);
        QVERIFY(s.pf.messages.first().text.contains(QStringLiteral("не сохранён")));
        // The journal tells the result's file came and went.
        const QList<journal::Record> records = journal::Read(*store::Open(s.app.st.folders.WorkFolder));
        QCOMPARE(records.size(), 2);
        QCOMPARE(records.last().action, journal::kCardDeleted);
    }
};

QTEST_GUILESS_MAIN(TestConsent)
#include "tst_consent.moc"
