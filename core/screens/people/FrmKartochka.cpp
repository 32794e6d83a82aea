#include "screens/people/FrmKartochka.h"

#include "ground/FileDialog.h"
#include "ground/TextFile.h"
#include "ground/App.h"
#include "ground/FieldText.h"
#include "engines/Desk.h"
#include "engines/FolderStore.h"
#include "engines/PageFiles.h"
#include "engines/Picture.h"
#include "engines/PersonFile.h"

#include <QtMath>

#include <cmath>
#include <memory>
#include <variant>
#include <limits>

namespace {
constexpr int kPhotoField = 5;
constexpr int kWomenHair = 1;

void Select(Control& list, int item)
{
    list.listIndex = item;
    list.text = item >= 0 && item < list.items.size() ? list.items[item] : QString();
}

// Shows a stored value: its item when the list has it, else the bare text.
void ShowValue(Control& list, const QString& value)
{
    list.listIndex = static_cast<int>(list.items.indexOf(value));
    list.text = value;
}


// The person taking the test consented to keep their data but not their
// photograph: their own card (new or during the attempt) takes none.
bool PhotoRefused(const App& app)
{
    const AppState& st = app.st;
    return (st.Dialog == DialogMode::NewCard || st.Dialog == DialogMode::OwnCard) && st.consent.Given &&
           !st.consent.Photo;
}

int SelectedSex(const FrmKartochka& d)
{
    return d.selPol[kWomenHair].checked ? 1 : 0;
}

// The control that holds a card field (the name box for what the dialog does
// not show).
QString FieldControl(const FrmKartochka& d, CardField field)
{
    if (field.kind != CardField::Detail)
        return d.txtNameFamiliya.name;
    switch (field.detail) {
    case 2:
        return d.lstRaznoe[static_cast<size_t>(SelectedSex(d))].name;
    case 3:
        return d.lstRaznoe[2].name;
    case 4:
        return d.lstRaznoe[3].name;
    default:
        return d.txtInfo[static_cast<size_t>(field.detail < 2 ? field.detail : field.detail - 3)].name;
    }
}

// The oldest age a bound may name.
constexpr int kMaxSeekAge = 150;

QString HeightText(double metres)
{
    return QString::number(metres, 'f', 2).replace(QLatin1Char('.'), QLatin1Char(','));
}

void ShowSeeking(FrmKartochka& d, const desk::Seeking& s)
{
    d.txtSeekAge[0].text = s.ageFrom ? QString::number(*s.ageFrom) : QString();
    d.txtSeekAge[1].text = s.ageTo ? QString::number(*s.ageTo) : QString();
    d.txtSeekHeight[0].text = s.heightFrom ? HeightText(*s.heightFrom) : QString();
    d.txtSeekHeight[1].text = s.heightTo ? HeightText(*s.heightTo) : QString();
    for (Control& c : d.chSeekHair)
        c.checked = s.hair.contains(c.text, Qt::CaseInsensitive);
    for (Control& c : d.chSeekEyes)
        c.checked = s.eyes.contains(c.text, Qt::CaseInsensitive);
}

// An age bound: nothing for an empty field, false for one that is no age.
bool ReadAge(const Control& box, std::optional<int>& age)
{
    const QString text = box.text.trimmed();
    if (text.isEmpty())
        return true;
    bool ok = false;
    const int value = text.toInt(&ok);
    if (!ok || value < 0 || value > kMaxSeekAge)
        return false;
    age = value;
    return true;
}

bool ReadHeight(const Control& box, std::optional<double>& height)
{
    const QString text = box.text.trimmed();
    if (text.isEmpty())
        return true;
    height = desk::ParseHeight(text);
    return height.has_value();
}

// Whom the dialog says the person accepts, or the box to fix.
std::variant<desk::Seeking, QString> ReadSeekingFields(const FrmKartochka& d)
{
    desk::Seeking s;
    for (size_t i = 0; i < 2; ++i) {
        if (!ReadAge(d.txtSeekAge[i], i == 0 ? s.ageFrom : s.ageTo))
            return d.txtSeekAge[i].name;
    }
    if (s.ageFrom && s.ageTo && *s.ageFrom > *s.ageTo)
        return d.txtSeekAge[1].name;
    for (size_t i = 0; i < 2; ++i) {
        if (!ReadHeight(d.txtSeekHeight[i], i == 0 ? s.heightFrom : s.heightTo))
            return d.txtSeekHeight[i].name;
    }
    if (s.heightFrom && s.heightTo && qRound(*s.heightFrom * 100) > qRound(*s.heightTo * 100))
        return d.txtSeekHeight[1].name;
    for (const Control& c : d.chSeekHair) {
        if (c.checked)
            s.hair << c.text;
    }
    for (const Control& c : d.chSeekEyes) {
        if (c.checked)
            s.eyes << c.text;
    }
    return s;
}
}

void frmKartochka_Load(App& app)
{
    FrmKartochka& d = app.frmKartochka;
    const DialogMode mode = app.st.Dialog;
    d.reset();
    for (Control& list : d.lstRaznoe)
        Select(list, 0);
    d.slot = mode == DialogMode::ListCard ? 1 : 0;
    if (mode == DialogMode::ListCard || mode == DialogMode::OwnCard) {
        const Kartochka& card = app.st.CardFields[static_cast<size_t>(d.slot)];
        const int sex = card.Pol != 0 ? 1 : 0;
        frmKartochka_selPol_Click(app, sex);
        // A stored card keeps its sex.
        d.selPol[static_cast<size_t>(1 - sex)].enabled = false;
        d.txtNameFamiliya.text = card.NameFamiliya;
        d.txtDataRogdeniya.text = card.DataRogdeniyaKnown ? QString::number(card.DataRogdeniya) : QString();
        d.chPodrobnee.checked = card.Podrobnee == 1;
        frmKartochka_chPodrobnee_Click(app);
        if (card.Podrobnee == 1) {
            d.txtInfo[0].text = card.Podrobnosti[0];
            d.txtInfo[1].text = card.Podrobnosti[1];
            ShowValue(d.lstRaznoe[static_cast<size_t>(sex)], card.Podrobnosti[2]);
            ShowValue(d.lstRaznoe[2], card.Podrobnosti[3]);
            ShowValue(d.lstRaznoe[3], card.Podrobnosti[4]);
            for (size_t i = 2; i < d.txtInfo.size(); ++i)
                d.txtInfo[i].text = card.Podrobnosti[i + 3];
        }
    }
    if (PhotoRefused(app))
        d.txtInfo[kPhotoField].text.clear();
    frmKartochka_chPodrobnee_Click(app);
    // A card from the lists shows what the desk keeps; the own card during
    // the attempt what this attempt chose so far.
    if (mode == DialogMode::ListCard) {
        const std::unique_ptr<store::FolderStore> kept = store::Open(app.st.folders.WorkFolder);
        const desk::Seeking s = kept ? desk::ReadSeeking(*kept, app.st.CardFields[1].FileName) : desk::Seeking{};
        ShowSeeking(d, s);
        d.acceptsShown = s.isEmpty() ? QString() : desk::EncodeSeeking(s);
    } else if (mode == DialogMode::OwnCard) {
        if (const auto s = desk::DecodeSeeking(app.st.CardFields[0].Accepts))
            ShowSeeking(d, *s);
        d.acceptsShown = app.st.CardFields[0].Accepts;
    }
    d.visible = true;
}

void frmKartochka_selPol_Click(App& app, int index)
{
    FrmKartochka& d = app.frmKartochka;
    if (index != 0 && index != 1)
        return;
    d.selPol[static_cast<size_t>(index)].checked = true;
    d.selPol[static_cast<size_t>(1 - index)].checked = false;
    d.lstRaznoe[static_cast<size_t>(index)].visible = true;
    d.lstRaznoe[static_cast<size_t>(1 - index)].visible = false;
    // The hair colours accepted are the other sex's; a tick keeps its place.
    const QStringList& other = d.lstRaznoe[static_cast<size_t>(1 - index)].items;
    for (size_t i = 0; i < d.chSeekHair.size(); ++i)
        d.chSeekHair[i].text = other.value(static_cast<qsizetype>(i));
}

void frmKartochka_chPodrobnee_Click(App& app)
{
    FrmKartochka& d = app.frmKartochka;
    const bool on = d.chPodrobnee.checked;
    for (Control& c : d.txtInfo)
        c.enabled = on;
    for (Control& c : d.lstRaznoe)
        c.enabled = on;
    d.kObzorEmblema.enabled = on;
    if (PhotoRefused(app)) {
        d.txtInfo[kPhotoField].enabled = false;
        d.kObzorEmblema.enabled = false;
    }
}

bool frmKartochka_txtDataRogdeniya_KeyPress(App&, QChar key)
{
    return (key >= QLatin1Char('0') && key <= QLatin1Char('9')) || key == QChar(8);
}

void frmKartochka_txtDataRogdeniya_GotFocus(App& app)
{
    Control& year = app.frmKartochka.txtDataRogdeniya;
    year.selStart = static_cast<int>(year.text.size());
    year.selLength = 0;
}

void frmKartochka_kObzorEmblema_Click(App& app)
{
    if (PhotoRefused(app))
        return;
    const QString path =
        apiOpenSave(app, 0, QString(), QStringLiteral("All picture files (*.*)") + QChar(0) + QStringLiteral("*.*"));
    if (!path.isEmpty())
        (void)SetFieldText(app, app.frmKartochka.txtInfo[kPhotoField], path, FieldKind::Plain);
}

void frmKartochka_lstRaznoe_Click(App& app, int index, int item)
{
    if (index < 0 || index > 3)
        return;
    Select(app.frmKartochka.lstRaznoe[static_cast<size_t>(index)], item);
}

void frmKartochka_OK_Click(App& app)
{
    FrmKartochka& d = app.frmKartochka;
    AppState& st = app.st;
    if (d.txtNameFamiliya.text.isEmpty()) {
        d.focus = d.txtNameFamiliya.name;
        return;
    }
    const int year = LeadingNumber(d.txtDataRogdeniya.text);
    if (year < 1900) {
        d.focus = d.txtDataRogdeniya.name;
        frmKartochka_txtDataRogdeniya_GotFocus(app);
        return;
    }
    // The photo is shown on the card page only when it is a picture: say so
    // now, while the person can still choose another file. A stored card's
    // photo that nobody touched here stays as it was.
    const QString& photo = d.txtInfo[kPhotoField].text;
    const bool photoChosen =
        st.Dialog == DialogMode::NewCard || photo != st.CardFields[static_cast<size_t>(d.slot)].Podrobnosti[8];
    if (d.chPodrobnee.checked && !photo.isEmpty() && photoChosen &&
        !IsPictureFile(PageFilePath(st.folders.WorkFolder, photo))) {
        ShowError(app, FileMessage(app, photo, kNotAPicture));
        d.focus = d.txtInfo[kPhotoField].name;
        return;
    }
    const std::variant<desk::Seeking, QString> seeking = ReadSeekingFields(d);
    if (const QString* wrong = std::get_if<QString>(&seeking)) {
        d.focus = *wrong;
        return;
    }
    const DialogMode mode = st.Dialog;
    const int details = d.chPodrobnee.checked ? 1 : 0;
    Kartochka next = st.CardFields[static_cast<size_t>(d.slot)];
    next.NameFamiliya = d.txtNameFamiliya.text;
    if (mode == DialogMode::NewCard) {
        next.Pol = SelectedSex(d);
        next.Parol = st.test.TestPassword;
    }
    next.DataRogdeniya = year;
    next.DataRogdeniyaKnown = true;
    next.Podrobnee = details;
    if (details == 1) {
        next.Podrobnosti[0] = d.txtInfo[0].text;
        next.Podrobnosti[1] = d.txtInfo[1].text;
        next.Podrobnosti[2] = d.lstRaznoe[static_cast<size_t>(SelectedSex(d))].text;
        next.Podrobnosti[3] = d.lstRaznoe[2].text;
        next.Podrobnosti[4] = d.lstRaznoe[3].text;
        for (size_t i = 2; i < d.txtInfo.size(); ++i)
            next.Podrobnosti[i + 3] = d.txtInfo[i].text;
        if (PhotoRefused(app))
            next.Podrobnosti[8].clear();
    } else {
        for (QString& detail : next.Podrobnosti)
            detail.clear();
    }
    // A card that a reader would cut is refused here, before the test is
    // taken; the answers to come are counted in.
    Kartochka full = next;
    if (full.Otvety.size() < st.test.QuestionCount)
        full.Otvety = QString(st.test.QuestionCount, QLatin1Char('0'));
    if (const auto field = CardFieldTooLong(full)) {
        ShowError(app, CardTooLongMessage(*field));
        d.focus = FieldControl(d, *field);
        return;
    }
    d.visible = false;
    app.platform.processEvents();

    if (mode == DialogMode::ListCard && st.people.CurrentPerson >= 0 && st.people.CurrentPerson < st.people.People.size()) {
        // The list shows the change without a new scan of the folder.
        PersonEntry& entry = st.people.People[st.people.CurrentPerson];
        entry.NameFamiliya = d.txtNameFamiliya.text;
        entry.Podrobnee = details;
    }
    // The dialog's own fields only: the rest of the slot stays as it is now.
    Kartochka& card = st.CardFields[static_cast<size_t>(d.slot)];
    card.NameFamiliya = next.NameFamiliya;
    if (mode == DialogMode::NewCard) {
        card.Pol = next.Pol;
        card.Parol = next.Parol;
    }
    card.DataRogdeniya = next.DataRogdeniya;
    card.DataRogdeniyaKnown = true;
    card.Podrobnee = next.Podrobnee;
    card.Podrobnosti = next.Podrobnosti;
    const desk::Seeking& accepts = std::get<desk::Seeking>(seeking);
    card.Accepts = accepts.isEmpty() ? QString() : desk::EncodeSeeking(accepts);
    st.Dialog = DialogMode::Confirmed;
    d.closeRequested = true;
}

void frmKartochka_NO_Click(App& app)
{
    app.frmKartochka.visible = false;
    app.frmKartochka.closeRequested = true;
}

bool frmKartochka_Event(App& app, const UiEvent& event)
{
    FrmKartochka& d = app.frmKartochka;
    const QString& name = event.control;
    switch (event.type) {
    case UiEvent::Click:
        for (int i = 0; i < 2; ++i) {
            if (name == d.selPol[static_cast<size_t>(i)].name)
                frmKartochka_selPol_Click(app, i);
        }
        if (name == d.chPodrobnee.name)
            frmKartochka_chPodrobnee_Click(app);
        else if (name == d.kObzorEmblema.name)
            frmKartochka_kObzorEmblema_Click(app);
        else if (name == d.OK.name)
            frmKartochka_OK_Click(app);
        else if (name == d.NO.name)
            frmKartochka_NO_Click(app);
        break;
    case UiEvent::KeyPress:
        // The person file is Windows-1251: a character it cannot hold is not taken.
        if (!FieldTakesKey(app, event, FieldKind::Plain))
            return false;
        if (name == d.txtDataRogdeniya.name && !event.text.isEmpty())
            return frmKartochka_txtDataRogdeniya_KeyPress(app, event.text.at(0));
        break;
    case UiEvent::Change:
        if (Control* box = d.find(name))
            ApplyFieldRule(app, *box, FieldKind::Plain);
        break;
    case UiEvent::GotFocus:
        if (name == d.txtDataRogdeniya.name)
            frmKartochka_txtDataRogdeniya_GotFocus(app);
        break;
    default:
        break;
    }
    return true;
}

void FileKartochka_Click(App& app)
{
    app.st.Dialog = DialogMode::OwnCard;
    app.platform.showModal(WindowId::Kartochka);
}
