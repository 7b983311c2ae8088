#include "btnpesquisa.h"

#include "datasource.h"
#include "guard.h"
#include "lookupquery.h"
#include "recordset.h"

#include <QEvent>
#include <stdexcept>

TBtnPesquisa::TBtnPesquisa(QWidget* parent) : TButtonFlat(parent)
{
    setText(QStringLiteral("…"));
    setToolTip(QStringLiteral("Pesquisar (F9)"));
    setToolButtonStyle(Qt::ToolButtonTextOnly);
    connect(this, &QToolButton::clicked, this, [this] { execute(); });
}

void TBtnPesquisa::setSource(RecordSet* recordSet)
{
    m_recordSet = recordSet;
    m_dataSource = nullptr;
    m_query = nullptr;
}

void TBtnPesquisa::setSource(DataSource* dataSource)
{
    m_recordSet = nullptr;
    m_dataSource = dataSource;
    m_query = nullptr;
}

void TBtnPesquisa::setSource(LookupQuery* query)
{
    m_recordSet = nullptr;
    m_dataSource = nullptr;
    m_query = query;
}

bool TBtnPesquisa::hasLookup() const
{
    return beforePesq || m_recordSet || m_dataSource || m_query;
}

void TBtnPesquisa::disableWithoutLookup()
{
    if (isEnabled() && !hasLookup())
        setEnabled(false);
}

void TBtnPesquisa::changeEvent(QEvent* event)
{
    TButtonFlat::changeEvent(event);
    if (event->type() == QEvent::EnabledChange)
        disableWithoutLookup();
}

void TBtnPesquisa::showEvent(QShowEvent* event)
{
    TButtonFlat::showEvent(event);
    disableWithoutLookup();
}

bool TBtnPesquisa::execute()
{
    if (!hasLookup())
        return false;
    bool chosen = false;
    guarded([&] { chosen = run(); });
    return chosen;
}

bool TBtnPesquisa::run()
{
    bool cancel = false;
    if (beforePesq)
        beforePesq(*this, cancel);
    if (cancel)
        return false;
    bool chosen = false;
    if (m_query)
        chosen = m_containing ? Pesquisar_Plus(*m_query, m_title, m_options) : Pesquisar(*m_query, m_title, m_options);
    else if (m_dataSource)
        chosen = m_containing ? Pesquisar_Plus(*m_dataSource, m_title, m_options)
                              : Pesquisar(*m_dataSource, m_title, m_options);
    else if (m_recordSet)
        chosen = m_containing ? Pesquisar_Plus(*m_recordSet, m_title, m_options)
                              : Pesquisar(*m_recordSet, m_title, m_options);
    else
        throw std::logic_error(QStringLiteral("%1: botão de pesquisa sem origem de dados.")
                                   .arg(objectName()).toStdString());
    if (chosen && afterPesq)
        afterPesq(*this);
    return chosen;
}
