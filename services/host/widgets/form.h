#pragma once
// Building the controls of screens and dialogs the same way everywhere: a
// control named for the tests and the saved layouts, its caption, and the
// button beside a code that looks it up (one look: "…", text only, one width).

#include <QString>

class QLabel;
class QWidget;
class TBtnPesquisa;
class TButtonFlat;

namespace Form {

template <typename W>
W* named(W* widget, const QString& name)
{
    widget->setObjectName(name);
    return widget;
}

// A caption right-aligned before its control; its mnemonic focuses `buddy`.
QLabel* caption(QWidget* parent, const QString& text, QWidget* buddy = nullptr);

// The look-up button beside a code ("Pesquisar (F9)").
TBtnPesquisa* lookupButton(QWidget* parent, const QString& name);

// A button of the same look that opens a list of its own, with its tip.
TButtonFlat* listButton(QWidget* parent, const QString& name, const QString& toolTip);

} // namespace Form
