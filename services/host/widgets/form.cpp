#include "form.h"

#include "btnpesquisa.h"

#include <QLabel>

namespace {

constexpr int lookupButtonWidth = 28;

void giveLookupLook(TButtonFlat* button)
{
    button->setText(QStringLiteral("…"));
    button->setToolButtonStyle(Qt::ToolButtonTextOnly);
    button->setFixedWidth(lookupButtonWidth);
}

} // namespace

namespace Form {

QLabel* caption(QWidget* parent, const QString& text, QWidget* buddy)
{
    auto* label = new QLabel(text, parent);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    if (buddy)
        label->setBuddy(buddy);
    return label;
}

TBtnPesquisa* lookupButton(QWidget* parent, const QString& name)
{
    auto* button = named(new TBtnPesquisa(parent), name);
    giveLookupLook(button);
    button->setToolTip(QStringLiteral("Pesquisar (F9)"));
    return button;
}

TButtonFlat* listButton(QWidget* parent, const QString& name, const QString& toolTip)
{
    auto* button = named(new TButtonFlat(parent), name);
    giveLookupLook(button);
    button->setToolTip(toolTip);
    return button;
}

} // namespace Form
