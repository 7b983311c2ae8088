#pragma once
// Record sets the widget tests share: a customer list with a code, a name,
// a credit limit shown the Brazilian way, a date and a flag.

#include "datapacket.h"
#include "field.h"
#include "recordset.h"

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QStyleFactory>
#include <QWidget>
#include <memory>

inline std::unique_ptr<RecordSet> makeClientes(int rowCount = 5)
{
    auto cds = std::make_unique<RecordSet>(QStringLiteral("cdsCliente"));
    cds->addField(QStringLiteral("CDCLIENTE"), FieldType::String, 4).setDisplayLabel(QStringLiteral("Código"));
    cds->addField(QStringLiteral("NMCLIENTE"), FieldType::String, 40).setDisplayLabel(QStringLiteral("Nome"));
    Field& limite = cds->addField(QStringLiteral("VRLIMITE"), FieldType::Float);
    limite.setDisplayLabel(QStringLiteral("Limite"));
    limite.setDisplayFormat(QStringLiteral("#,##0.00"));
    cds->addField(QStringLiteral("DTCADASTRO"), FieldType::Date).setDisplayLabel(QStringLiteral("Cadastro"));
    cds->addField(QStringLiteral("IDATIVO"), FieldType::String, 1).setDisplayLabel(QStringLiteral("Ativo"));
    static const QStringList names{QStringLiteral("José da Silva"), QStringLiteral("Maria Oliveira"),
                                   QStringLiteral("Ana Paula Souza"), QStringLiteral("João Pereira"),
                                   QStringLiteral("Distribuidora D'Ávila Ltda")};
    DataPacket packet;
    packet.fields = cds->fieldDefs();
    for (int i = 0; i < rowCount; ++i) {
        const QString code = QStringLiteral("%1").arg(i + 1, 4, 10, QLatin1Char('0'));
        const QString name = i < names.size() ? names[i] : QStringLiteral("Cliente %1").arg(i + 1);
        packet.rows.append(QVariantList{code, name, 1234.5 * (i + 1), QDate(2026, 3, 1).addDays(i),
                                        i % 2 == 0 ? QStringLiteral("S") : QStringLiteral("N")});
    }
    cds->setData(packet);
    return cds;
}

// Screenshots look the same on every machine: one style, one font.
inline void useTestLook()
{
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPointSize(9);
    QApplication::setFont(font);
}

inline QString saveShot(QWidget& widget, const QString& name)
{
    const QString path = QDir::temp().filePath(name);
    widget.grab().save(path);
    return path;
}
