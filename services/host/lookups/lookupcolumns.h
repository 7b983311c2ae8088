#pragma once
// How every look-up shows the ERP's columns, so that they all read alike:
//   - a column with no title of its own (its label is its database name)
//     takes the Portuguese title of that name (tituloColunaPesquisa);
//   - a CPF/CNPJ (NRINSJUR...) shows with its punctuation, by the person
//     kind beside it (IDTPIJUR...) or, without one, by its length; the kind
//     itself is not shown.
// ApresentacaoPesquisa applies this to a record set while a look-up shows it
// and puts the record set's own labels, visibility and texts back afterwards.

#include <QList>
#include <QString>
#include <functional>

class Field;
class RecordSet;

// The Portuguese title of an ERP column; empty for a name it does not know.
QString tituloColunaPesquisa(const QString& fieldName);

class ApresentacaoPesquisa {
public:
    explicit ApresentacaoPesquisa(RecordSet& rows);
    ~ApresentacaoPesquisa();
    ApresentacaoPesquisa(const ApresentacaoPesquisa&) = delete;
    ApresentacaoPesquisa& operator=(const ApresentacaoPesquisa&) = delete;

private:
    struct Antes {
        Field* field;
        QString label;
        bool visible;
        std::function<QString(Field&, bool)> onGetText;
    };
    void lembra(Field& field);

    QList<Antes> m_antes;
};
