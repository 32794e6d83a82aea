#include "ground/windows/FrmForma.h"

namespace {
void place(Control& c, int left, int top, int width, int height)
{
    c.left = left;
    c.top = top;
    c.width = width;
    c.height = height;
}
}

FrmForma::FrmForma() : WindowModel(QStringLiteral("frmForma"))
{
    caption = QStringLiteral("Тандемо");
    clientWidth = DesignWidth;
    clientHeight = DesignHeight;

    for (Control* c : {&Nazad, &kDalee, &kRezultat, &usrWeb1, &NmWpr, &picVopros, &WrOt, &SelKolOtvetov})
        add(*c);
    for (Control& c : picOtvety)
        add(c);
    add(INF);
    add(Txt);
    for (const auto& menu : menus()) {
        for (Control* item : menu)
            add(*item);
    }

    place(Nazad, 8, 0, 97, 28);
    place(kDalee, 112, 0, 97, 28);
    place(kRezultat, 216, 0, 185, 28);
    place(usrWeb1, 0, 31, DesignWidth, DesignHeight - 31);
    place(NmWpr, 8, 30, 124, 20);
    place(picVopros, 8, 52, DesignWidth - 16, 49);
    place(WrOt, 8, 108, 143, 16);
    place(SelKolOtvetov, 176, 104, 49, 21);
    for (int i = 0; i < 10; ++i)
        place(picOtvety[static_cast<size_t>(i)], 8, 132 + 24 * i, DesignWidth - 16, 20);
    place(INF, 8, 372, 108, 16);
    place(Txt, 8, 388, DesignWidth - 16, 25);

    Nazad.enabled = false;
    kDalee.enabled = false;
    kRezultat.enabled = false;
    for (Control* c : {&NmWpr, &picVopros, &WrOt, &SelKolOtvetov, &INF, &Txt})
        c->visible = false;
    for (Control& c : picOtvety)
        c.visible = false;
    SelKolOtvetov.items = QStringList{QStringLiteral(" 2"), QStringLiteral(" 3"), QStringLiteral(" 4"),
                                      QStringLiteral(" 5"), QStringLiteral(" 6"), QStringLiteral(" 7"),
                                      QStringLiteral(" 8"), QStringLiteral(" 9"), QStringLiteral("10")};

    FileOpen.shortcut = QStringLiteral("Ctrl+O");
    FileSave.shortcut = QStringLiteral("Ctrl+S");
    FileListLudey[0].shortcut = QStringLiteral("Ctrl+M");
    FileListLudey[1].shortcut = QStringLiteral("Ctrl+W");
    FileFoundLudey.shortcut = QStringLiteral("F3");
    FileProsmotr.shortcut = QStringLiteral("F8");
    FileObnovit.shortcut = QStringLiteral("F9");
    FileSnachala.shortcut = QStringLiteral("Ctrl+R");
    EditParametry.shortcut = QStringLiteral("Ctrl+P");
    EditSelectVopros.shortcut = QStringLiteral("F4");
    // A function key, so that it works in any keyboard layout.
    EditVesa.shortcut = QStringLiteral("F6");
    EditTextUpDown[0].shortcut = QStringLiteral("Ctrl+U");
    EditTextUpDown[1].shortcut = QStringLiteral("Ctrl+D");
    EditAddFile[0].shortcut = QStringLiteral("Ctrl+I");
    EditNeravenstvo.shortcut = QStringLiteral("Ctrl+T");
    EditFoundFile.shortcut = QStringLiteral("Ctrl+F");
    HelpCallHelp.shortcut = QStringLiteral("F1");

    for (Control* c : {&FileChange, &FileSave, &FileSaveAs, &FileListLudey[0], &FileListLudey[1],
                       &FileFoundLudey, &FileKartochka, &FileProsmotr, &FileSnachala, &Edit})
        c->enabled = false;
    FileNameTest.visible = false;
    FileSep4.visible = false;
}

std::vector<std::vector<Control*>> FrmForma::menus() const
{
    auto* self = const_cast<FrmForma*>(this);
    FrmForma& f = *self;
    return {
        {&f.File, &f.FileNew, &f.FileOpen, &f.FileChange, &f.FileSave, &f.FileSaveAs, &f.FileSep1,
         &f.FileListLudey[0], &f.FileListLudey[1], &f.FileFoundLudey, &f.FileKartochka, &f.FileSep2,
         &f.FileProsmotr, &f.FileObnovit, &f.FileSnachala, &f.FileSep3, &f.FileNameTest, &f.FileSep4,
         &f.FileExit},
        {&f.Edit, &f.EditFoundNoEnd, &f.EditParametry, &f.EditSelectVopros, &f.EditPasteVopros,
         &f.EditDeleteVopros, &f.EditVesa, &f.EditSep, &f.EditTextUpDown[0], &f.EditTextUpDown[1], &f.EditAddFile[0],
         &f.EditAddFile[1], &f.EditAddFile[2], &f.EditNeravenstvo, &f.EditTextInTag, &f.EditFoundFile,
         &f.EditSep2, &f.EditAddTest, &f.EditLoadVopros[0], &f.EditLoadVopros[1], &f.EditShowAllTest},
        {&f.Kartoteka, &f.KartotekaKopiya, &f.KartotekaVosstanovit, &f.KartotekaZhurnal,
         &f.KartotekaNapominaniya, &f.KartotekaStatistika, &f.KartotekaStol, &f.KartotekaVecher, &f.KartotekaSep,
         &f.KartotekaAvto, &f.KartotekaSep2, &f.KartotekaSrok, &f.KartotekaIstek, &f.KartotekaSoglasie},
        {&f.Help, &f.HelpCallHelp, &f.HelpOptions, &f.HelpAbout},
    };
}
