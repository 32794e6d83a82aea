#include "shell/Model.h"

Control* WindowModel::find(const QString& controlName) const
{
    for (Control* control : controls_) {
        if (control->name == controlName)
            return control;
    }
    return nullptr;
}
