#include "people/KartochkaDialog.h"

#include "ground/App.h"
#include "screens/people/FrmKartochka.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>

KartochkaDialog::KartochkaDialog(App& app, QWidget* parent)
    : ModelDialog(app.frmKartochka, [&app](const UiEvent& e) { return frmKartochka_Event(app, e); }, parent)
{
    FrmKartochka& m = app.frmKartochka;
    setFixedSize(m.clientWidth, m.clientHeight);
    // Fields that cannot be filled in look like the form; open ones are white.
    // Set through the palette: a style sheet would also paint the open lists'
    // entries and hide which one is highlighted.
    QPalette fields = palette();
    fields.setColor(QPalette::Disabled, QPalette::Base, fields.color(QPalette::Window));
    fields.setColor(QPalette::Active, QPalette::Base, Qt::white);
    fields.setColor(QPalette::Inactive, QPalette::Base, Qt::white);
    setPalette(fields);

    for (Control& c : m.selPol)
        binder().bind(c, new QRadioButton(this));
    for (Control* c : {&m.lblNameFamiliya, &m.lblDataRogdeniya})
        binder().bind(*c, new QLabel(this));
    for (Control& c : m.lblInfo)
        binder().bind(c, new QLabel(this));
    for (Control& c : m.lblRaznoe)
        binder().bind(c, new QLabel(this));
    auto* name = new QLineEdit(this);
    binder().bind(m.txtNameFamiliya, name);
    binder().bind(m.txtDataRogdeniya, new QLineEdit(this));
    binder().bind(m.chPodrobnee, new QCheckBox(this));
    for (Control& c : m.txtInfo)
        binder().bind(c, new QLineEdit(this));
    for (Control& c : m.lstRaznoe)
        binder().bind(c, new QComboBox(this));
    auto* photo = new QPushButton(this);
    photo->setIcon(style()->standardIcon(QStyle::SP_DirOpenIcon));
    photo->setToolTip(m.kObzorEmblema.tooltip);
    binder().bind(m.kObzorEmblema, photo);
    for (Control* c : {&m.lblSeeking, &m.lblSeekAge, &m.lblSeekAgeTo, &m.lblSeekHeight, &m.lblSeekHeightTo,
                       &m.lblSeekHair, &m.lblSeekEyes})
        binder().bind(*c, new QLabel(this));
    for (Control* c : {&m.txtSeekAge[0], &m.txtSeekAge[1], &m.txtSeekHeight[0], &m.txtSeekHeight[1]})
        binder().bind(*c, new QLineEdit(this));
    for (Control& c : m.chSeekHair)
        binder().bind(c, new QCheckBox(this));
    for (Control& c : m.chSeekEyes)
        binder().bind(c, new QCheckBox(this));
    binder().bind(m.OK, new QPushButton(this));
    binder().bind(m.NO, new QPushButton(this));
    binder().followModelTabOrder();
    binder().sync();
    name->setFocus(Qt::OtherFocusReason);
}
