#include "ground/windows/FrmKartochka.h"

namespace {
// The dialog is laid out in twips; the model holds pixels (15 twips each).
void place(Control& c, int left, int top, int width, int height)
{
    c.left = left / 15;
    c.top = top / 15;
    c.width = width / 15;
    c.height = height / 15;
}

constexpr int kFieldHeight = 420;
constexpr int kLabelHeight = 240;
constexpr int kWomenHair = 1;

const QStringList kMenHair{QStringLiteral("Блондин"), QStringLiteral("Брюнет"), QStringLiteral("Шатен"),
                           QStringLiteral("Русый"), QStringLiteral("Без волос")};
const QStringList kWomenHairItems{QStringLiteral("Блондинка"), QStringLiteral("Брюнетка"), QStringLiteral("Шатенка"),
                                  QStringLiteral("Русый"), QStringLiteral("Без волос")};
const QStringList kEyes{QStringLiteral("Голубые"), QStringLiteral("Зелёные"), QStringLiteral("Карие")};
const QStringList kZodiac{QStringLiteral("Овен"),    QStringLiteral("Телец"),   QStringLiteral("Близнецы"),
                          QStringLiteral("Рак"),     QStringLiteral("Лев"),     QStringLiteral("Дева"),
                          QStringLiteral("Весы"),    QStringLiteral("Скорпион"), QStringLiteral("Стрелец"),
                          QStringLiteral("Козерог"), QStringLiteral("Водолей"), QStringLiteral("Рыбы")};
}  // namespace

FrmKartochka::FrmKartochka() : WindowModel(QStringLiteral("frmKartochka"))
{
    // Added as the layout reads, row by row and left to right within a row:
    // Tab walks the fields in this order.
    for (Control& c : selPol)
        add(c);
    for (Control* c : {&lblNameFamiliya, &txtNameFamiliya, &lblDataRogdeniya, &txtDataRogdeniya, &chPodrobnee})
        add(*c);
    for (Control& c : lblInfo)
        add(c);
    for (Control& c : lblRaznoe)
        add(c);
    add(txtInfo[0]);
    add(txtInfo[1]);
    for (Control& c : lstRaznoe)
        add(c);
    for (size_t i = 2; i < txtInfo.size(); ++i)
        add(txtInfo[i]);
    add(kObzorEmblema);
    for (Control* c : {&lblSeeking, &lblSeekAge, &txtSeekAge[0], &lblSeekAgeTo, &txtSeekAge[1], &lblSeekHeight,
                       &txtSeekHeight[0], &lblSeekHeightTo, &txtSeekHeight[1], &lblSeekHair})
        add(*c);
    for (Control& c : chSeekHair)
        add(c);
    add(lblSeekEyes);
    for (Control& c : chSeekEyes)
        add(c);
    for (Control* c : {&OK, &NO})
        add(*c);

    place(selPol[0], 120, 120, 1335, kFieldHeight);
    place(selPol[1], 1800, 120, 1455, kFieldHeight);
    place(lblNameFamiliya, 120, 480, 5295, kLabelHeight);
    place(txtNameFamiliya, 120, 720, 5295, kFieldHeight);
    place(lblDataRogdeniya, 5640, 360, 1560, kLabelHeight);
    place(txtDataRogdeniya, 5640, 720, 855, kFieldHeight);
    place(chPodrobnee, 120, 1320, 1935, kFieldHeight);
    place(lblInfo[0], 120, 1650, 975, kLabelHeight);
    place(txtInfo[0], 120, 1920, 975, kFieldHeight);
    place(lblInfo[1], 1200, 1650, 975, kLabelHeight);
    place(txtInfo[1], 1200, 1920, 975, kFieldHeight);
    place(lblRaznoe[0], 2280, 1650, 1815, kLabelHeight);
    place(lstRaznoe[0], 2280, 1920, 1815, kFieldHeight);
    place(lstRaznoe[1], 2280, 1920, 1815, kFieldHeight);
    place(lblRaznoe[1], 4200, 1650, 1695, kLabelHeight);
    place(lstRaznoe[2], 4200, 1920, 1695, kFieldHeight);
    place(lblRaznoe[2], 6000, 1650, 1695, kLabelHeight);
    place(lstRaznoe[3], 6000, 1920, 1695, kFieldHeight);
    place(lblInfo[2], 120, 2400, 7575, kLabelHeight);
    place(txtInfo[2], 120, 2640, 7575, kFieldHeight);
    place(lblInfo[3], 120, 3120, 7575, kLabelHeight);
    place(txtInfo[3], 120, 3360, 7575, kFieldHeight);
    place(lblInfo[4], 120, 3840, 7575, kLabelHeight);
    place(txtInfo[4], 120, 4080, 7575, kFieldHeight);
    place(lblInfo[5], 120, 4560, 7095, kLabelHeight);
    place(txtInfo[5], 120, 4800, 7095, kFieldHeight);
    place(kObzorEmblema, 7320, 4800, 390, 375);
    place(lblSeeking, 120, 5340, 2000, kLabelHeight);
    place(lblSeekAge, 120, 5700, 1200, kLabelHeight);
    place(txtSeekAge[0], 1320, 5640, 600, kFieldHeight);
    place(lblSeekAgeTo, 2010, 5700, 300, kLabelHeight);
    place(txtSeekAge[1], 2340, 5640, 600, kFieldHeight);
    place(lblSeekHeight, 3240, 5700, 1320, kLabelHeight);
    place(txtSeekHeight[0], 4560, 5640, 750, kFieldHeight);
    place(lblSeekHeightTo, 5400, 5700, 300, kLabelHeight);
    place(txtSeekHeight[1], 5730, 5640, 750, kFieldHeight);
    place(lblSeekHair, 120, 6180, 880, kLabelHeight);
    for (size_t i = 0; i < chSeekHair.size(); ++i)
        place(chSeekHair[i], 1020 + static_cast<int>(i) * 1380, 6120, 1380, kFieldHeight);
    place(lblSeekEyes, 120, 6600, 880, kLabelHeight);
    for (size_t i = 0; i < chSeekEyes.size(); ++i)
        place(chSeekEyes[i], 1020 + static_cast<int>(i) * 1380, 6540, 1380, kFieldHeight);
    place(OK, 5400, 7080, 1095, kFieldHeight);
    place(NO, 6600, 7080, 1095, kFieldHeight);
    clientWidth = 7920 / 15;
    clientHeight = 7680 / 15;

    lstRaznoe[0].items = kMenHair;
    lstRaznoe[1].items = kWomenHairItems;
    lstRaznoe[2].items = kEyes;
    lstRaznoe[3].items = kZodiac;
    kObzorEmblema.tooltip = QStringLiteral("Фотография");
    txtDataRogdeniya.maxLength = 4;
    reset();
}

void FrmKartochka::reset()
{
    caption = QStringLiteral("Личная карточная");
    visible = false;
    closeRequested = false;
    focus = txtNameFamiliya.name;
    defaultButton = OK.name;
    cancelButton = NO.name;
    slot = 0;
    acceptsShown.clear();
    selPol[0].checked = true;
    selPol[1].checked = false;
    for (Control& c : selPol)
        c.enabled = true;
    txtNameFamiliya.text.clear();
    txtDataRogdeniya.text = QStringLiteral("19");
    txtDataRogdeniya.selStart = 0;
    txtDataRogdeniya.selLength = 0;
    chPodrobnee.checked = false;
    for (Control& c : txtInfo) {
        c.text.clear();
        c.enabled = false;
    }
    for (Control& c : lstRaznoe) {
        c.listIndex = -1;
        c.text.clear();
        c.enabled = false;
        c.visible = true;
    }
    lstRaznoe[kWomenHair].visible = false;
    kObzorEmblema.enabled = false;
    for (Control* c : {&txtSeekAge[0], &txtSeekAge[1], &txtSeekHeight[0], &txtSeekHeight[1]})
        c->text.clear();
    // A man is shown the women's colours, a woman the men's.
    for (size_t i = 0; i < chSeekHair.size(); ++i) {
        chSeekHair[i].text = kWomenHairItems[static_cast<qsizetype>(i)];
        chSeekHair[i].checked = false;
    }
    for (size_t i = 0; i < chSeekEyes.size(); ++i) {
        chSeekEyes[i].text = kEyes[static_cast<qsizetype>(i)];
        chSeekEyes[i].checked = false;
    }
}
