#include "screens/editor/NewTest.h"

#include "engines/TestFile.h"
#include "screens/editor/Editor.h"
#include "ground/App.h"

void NewTest(App& app, int fromPassword)
{
    AppState& st = app.st;
    FrmForma& f = app.frmForma;
    st.main.Phase = TestPhase::Editor;
    if (fromPassword == 1) {
        app.frmPassW.visible = false;
        app.frmPassW.closeRequested = true;
    } else {
        app.frmParam.visible = false;
        app.frmParam.closeRequested = true;
        app.platform.processEvents();
        st.test.TestFilePath.clear();
        st.main.CurrentQuestion = 1;
        st.folders.WorkFolder = st.folders.StartFolder();
    }
    st.main.View = ViewMode::NewTest;

    f.FileSave.enabled = true;
    f.FileSaveAs.enabled = true;
    f.FileObnovit.enabled = false;
    f.FileChange.enabled = false;
    f.FileSnachala.enabled = false;
    f.Edit.enabled = true;
    f.FileProsmotr.checked = false;
    f.FileProsmotr.enabled = true;
    f.FileListLudey[0].enabled = false;
    f.FileListLudey[1].enabled = false;
    f.FileFoundLudey.enabled = false;
    f.FileKartochka.enabled = false;

    f.usrWeb1.visible = false;
    f.picVopros.visible = true;
    f.SelKolOtvetov.visible = true;
    f.NmWpr.visible = true;
    f.WrOt.visible = true;
    f.INF.visible = true;
    f.Txt.visible = true;
    f.Nazad.enabled = true;
    f.kDalee.enabled = true;
    f.defaultButton = f.kDalee.name;

    app.platform.processEvents();
    AddVopros(app);
    TakeTestSnapshot(app);
}
