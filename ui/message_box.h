#pragma once
// The program's message boxes in Qt: an icon, a title, a text, a set of
// buttons and the default one, answered as the core's MessageAnswer. A box
// closed without a choice answers Cancel or No where offered.
#include <QString>

#include "certify/run_hooks.h"

class QWidget;

namespace korrivan::ui {

certify::MessageAnswer askMessageBox(QWidget* owner, certify::MessageIcon icon, const QString& title,
                                     const QString& text, certify::MessageButtons buttons,
                                     certify::MessageAnswer defaultAnswer);

}  // namespace korrivan::ui
