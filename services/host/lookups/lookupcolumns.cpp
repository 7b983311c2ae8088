#include "lookupcolumns.h"

#include "field.h"
#include "recordset.h"
#include "taxnumbers.h"

#include <QHash>

namespace {

// Titles of the columns the look-ups of the order screens list.
const QHash<QString, QString>& titulos()
{
    static const QHash<QString, QString> lista{
        {QStringLiteral("CDFILIAL"), QStringLiteral("Filial")},
        {QStringLiteral("NMFILIAL"), QStringLiteral("Nome")},
        {QStringLiteral("CDSEGMER"), QStringLiteral("Segmento")},
        {QStringLiteral("CDEMPRESA"), QStringLiteral("Empresa")},
        {QStringLiteral("CDCLIENTE"), QStringLiteral("Código")},
        {QStringLiteral("NRINSJURCLIE"), QStringLiteral("CPF/CNPJ")},
        {QStringLiteral("NMFANTCLIE"), QStringLiteral("Nome Fantasia")},
        {QStringLiteral("NMRAZSOCCLIE"), QStringLiteral("Razão Social")},
        {QStringLiteral("CDVENDEDOR"), QStringLiteral("Código")},
        {QStringLiteral("NMFANVEN"), QStringLiteral("Vendedor")},
        {QStringLiteral("NMRAZSOCVEN"), QStringLiteral("Razão Social")},
        {QStringLiteral("NRINSJURVEN"), QStringLiteral("CPF/CNPJ")},
        {QStringLiteral("NMPAIS"), QStringLiteral("País")},
        {QStringLiteral("SGESTADO"), QStringLiteral("UF")},
        {QStringLiteral("NMMUNICIPIO"), QStringLiteral("Município")},
        {QStringLiteral("DSENDECLIE"), QStringLiteral("Endereço")},
        {QStringLiteral("CDGRUPOFISC"), QStringLiteral("Grupo Fiscal")},
        {QStringLiteral("NMGRUPOFISC"), QStringLiteral("Nome do Grupo Fiscal")},
        {QStringLiteral("CDTIPOOPER"), QStringLiteral("Código")},
        {QStringLiteral("NMTIPOOPER"), QStringLiteral("Tipo de Operação")},
        {QStringLiteral("CDPRECOBASE"), QStringLiteral("Código")},
        {QStringLiteral("DSPRECOBASE"), QStringLiteral("Preço Base")},
        {QStringLiteral("CDMODPGTO"), QStringLiteral("Código")},
        {QStringLiteral("DSMODPGTO"), QStringLiteral("Modalidade")},
        {QStringLiteral("CDDEPTO"), QStringLiteral("Código")},
        {QStringLiteral("NMDEPTO"), QStringLiteral("Departamento")},
        {QStringLiteral("NRPEDIDO"), QStringLiteral("Pedido")},
        {QStringLiteral("DTPEDIDO"), QStringLiteral("Data Pedido")},
        {QStringLiteral("TXOBSPED"), QStringLiteral("Observação")},
        {QStringLiteral("CDARVPROD"), QStringLiteral("Código")},
        {QStringLiteral("NMPRODUTO"), QStringLiteral("Produto")},
        {QStringLiteral("CDPRODINTE"), QStringLiteral("Código Externo")},
        {QStringLiteral("NRORIGEM"), QStringLiteral("Código")},
        {QStringLiteral("NMORIGEM"), QStringLiteral("Origem")},
        {QStringLiteral("CDTIPODESC"), QStringLiteral("Código")},
        {QStringLiteral("NMTIPODESC"), QStringLiteral("Condição de Desconto")},
        {QStringLiteral("QTPRITPDESC"), QStringLiteral("1º Desc. (%)")},
        {QStringLiteral("QTSEGTPDESC"), QStringLiteral("2º Desc. (%)")},
        {QStringLiteral("QTTERTPDESC"), QStringLiteral("3º Desc. (%)")},
        {QStringLiteral("QTQUATPDESC"), QStringLiteral("4º Desc. (%)")},
        {QStringLiteral("QTQUITPDESC"), QStringLiteral("5º Desc. (%)")},
        {QStringLiteral("QTSEXTPDESC"), QStringLiteral("6º Desc. (%)")},
        {QStringLiteral("QTSETTPDESC"), QStringLiteral("7º Desc. (%)")},
        {QStringLiteral("QTOITTPDESC"), QStringLiteral("8º Desc. (%)")},
        {QStringLiteral("CDFATPRECO"), QStringLiteral("Código")},
        {QStringLiteral("SGFATPRECO"), QStringLiteral("Fator")},
        {QStringLiteral("NMFATPRECO"), QStringLiteral("Descrição")},
        {QStringLiteral("VRFATPRECO"), QStringLiteral("Valor do Fator")},
        {QStringLiteral("VRCUSTFATPR"), QStringLiteral("Preço")},
        {QStringLiteral("VRCUSTOPROD"), QStringLiteral("Custo do Produto")},
        {QStringLiteral("VROPCIOPRBASE"), QStringLiteral("Preço Opcional")},
    };
    return lista;
}

bool semTitulo(const Field& field)
{
    return field.displayLabel() == field.name();
}

} // namespace

QString tituloColunaPesquisa(const QString& fieldName)
{
    return titulos().value(fieldName.toUpper());
}

ApresentacaoPesquisa::ApresentacaoPesquisa(RecordSet& rows)
{
    for (Field* field : rows.fields()) {
        if (semTitulo(*field)) {
            const QString titulo = tituloColunaPesquisa(field->name());
            if (!titulo.isEmpty()) {
                lembra(*field);
                field->setDisplayLabel(titulo);
            }
        }
        if (!field->name().startsWith(QLatin1String("NRINSJUR"), Qt::CaseInsensitive) || field->onGetText)
            continue;
        Field* tipo = rows.findField(QStringLiteral("IDTPIJUR") + field->name().mid(8));
        lembra(*field);
        field->onGetText = [tipo](Field& numero, bool) {
            QString texto = numero.asString();
            const QString pessoa = tipo && !tipo->asString().isEmpty() ? tipo->asString() : Ajusta_Inscricao(texto);
            return FormatInscricao(texto, pessoa);
        };
        if (tipo && tipo->isVisible()) {
            lembra(*tipo);
            tipo->setVisible(false);
        }
    }
}

ApresentacaoPesquisa::~ApresentacaoPesquisa()
{
    // Newest first: a field remembered twice gets its first state back.
    for (auto it = m_antes.crbegin(); it != m_antes.crend(); ++it) {
        it->field->setDisplayLabel(it->label == it->field->name() ? QString() : it->label);
        it->field->setVisible(it->visible);
        it->field->onGetText = it->onGetText;
    }
}

void ApresentacaoPesquisa::lembra(Field& field)
{
    m_antes.append({&field, field.displayLabel(), field.isVisible(), field.onGetText});
}
