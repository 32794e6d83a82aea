#include "ground/FileDialog.h"

#include "ground/App.h"

namespace {
const QChar kNul(u'\0');
}

QString apiOpenSave(App& app, int save, const QString& suggestedName, const QString& filter)
{
    QString full = filter;
    if (!full.isEmpty())
        full += kNul;
    full += QStringLiteral("All Files (*.*)") + kNul + QStringLiteral("*.*");
    const QStringList items = full.split(kNul);
    QList<FileFilter> filters;
    for (qsizetype i = 0; i + 1 < items.size(); i += 2)
        filters.append({items[i], items[i + 1]});

    // The platform's name buffer holds 255 characters.
    const QString path = app.platform.fileDialog(save != 0, suggestedName.left(255), filters, app.st.folders.LastFolder);
    if (path.isEmpty())
        return {};
    const qsizetype nul = path.indexOf(kNul);
    const QString result = nul < 0 ? path : path.left(nul);
    app.st.folders.LastFolder = FolderPart(app, result);
    return result;
}
