#pragma once
// What the widget tests share: a customer list with a code, a name, a credit
// limit shown the Brazilian way, a date and a flag; and a test bed of the
// scripted host, that list and a window linked to it.

#include "datapacket.h"
#include "field.h"
#include "recordset.h"
#include "scriptedhost.h"
#include "widgets/datasource.h"

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QLineEdit>
#include <QStyleFactory>
#include <QVBoxLayout>
#include <QWidget>
#include <QtTest/QTest>
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

// Built afresh for each test: the scripted host the widgets report to, the
// customer list and a window holding "dtsCliente", a link to that list. The
// widgets under test go in with add() before show().
struct WidgetTestBed {
    std::unique_ptr<ScriptedHost> host;
    std::unique_ptr<RecordSet> cds;
    std::unique_ptr<QWidget> window;
    DataSource* dts = nullptr;
    QLineEdit* otherControl = nullptr;   // where the focus goes when a widget is left

    void setUp()
    {
        host = std::make_unique<ScriptedHost>();
        cds = makeClientes();
        window = std::make_unique<QWidget>();
        new QVBoxLayout(window.get());
        dts = new DataSource(QStringLiteral("dtsCliente"), window.get());
        dts->setDataSet(cds.get());
    }

    template <typename W>
    W* add(W* widget)
    {
        window->layout()->addWidget(widget);
        return widget;
    }

    void show()
    {
        otherControl = add(new QLineEdit(window.get()));
        window->show();
        QApplication::setActiveWindow(window.get());
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
    }

    // The widgets go before the list they show; the host must have seen all
    // that the test told it to expect.
    void tearDown()
    {
        window.reset();
        cds.reset();
        PED_VERIFY_HOST(*host);
        host.reset();
    }
};

inline void focus(QWidget* widget, Qt::FocusReason reason = Qt::TabFocusReason)
{
    widget->setFocus(reason);
    QTRY_VERIFY(widget->hasFocus());
}
