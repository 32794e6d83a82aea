#pragma once

#include "ground/windows/Model.h"

#include <QString>

#include <array>
#include <vector>

// The secondary window: a modal window with its own HTML view that shows the
// people lists, card pages, search and pair results, the whole test and help.
// It builds nothing while it opens: `Timer1` (one shot, 1 ms) starts the long
// job once the window is on screen. The window watches Timer1.enabled and calls
// frmHTML_Timer when it fires.
class FrmHTML : public WindowModel {
public:
    FrmHTML();

    Control usrWebHtml1{"usrWebHtml1"};
    Control Timer1{"Timer1"};  // enabled while the one-shot start is pending

    // File menu.
    Control File{"File", QStringLiteral("Файл")};
    Control FileObnovit{"FileObnovit", QStringLiteral("Обновить")};
    Control FileSep2{"FileSep2", QStringLiteral("-")};
    Control FileExit{"FileExit", QStringLiteral("Выход")};

    static constexpr int TimerInterval = 1;  // milliseconds
};
