#include "editor/NomerDialog.h"

#include "ground/App.h"
#include "screens/editor/QuestionList.h"

#include <QListWidget>
#include <QVBoxLayout>

NomerDialog::NomerDialog(App& app, QWidget* parent)
    : ModelDialog(app.frmNomer, [&app](const UiEvent& e) { return frmNomer_Event(app, e); }, parent)
{
    list_ = new QListWidget(this);
    list_->setMinimumSize(420, 300);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(list_);
    binder().bind(app.frmNomer.List1, list_, false);
    binder().sync();
}
