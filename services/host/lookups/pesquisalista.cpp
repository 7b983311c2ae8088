#include "pesquisalista.h"

#include "widgets/datasource.h"
#include "field.h"
#include "guard.h"
#include "host.h"
#include "locate.h"
#include "lookupcolumns.h"
#include "lookupframe.h"
#include "widgets/gridutils.h"
#include "lookupquery.h"
#include "messages.h"
#include "pesquisalistadialog.h"
#include "pesquisar.h"
#include "recordset.h"

#include <QAbstractTableModel>
#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSet>
#include <QSortFilterProxyModel>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>
#include <vector>

// --- the list model -----------------------------------------------------------------------

// The rows of the record set: codes read at once, texts read when shown,
// search keys made on the first search; and which codes are checked. The
// record set's cursor is never moved.
class CheckListModel : public QAbstractTableModel {
public:
    CheckListModel(const RecordSet& recordSet, int keyFieldIndex, QObject* parent)
        : QAbstractTableModel(parent), m_recordSet(recordSet)
    {
        for (const Field* field : recordSet.fields()) {
            const bool mark = field->name().compare(QLatin1String("IDMARCADO"), Qt::CaseInsensitive) == 0;
            if (field->isVisible() && !mark && field->kind() != Field::Kind::Aggregate) {
                m_fieldIndexes.append(field->index());
                m_titles.append(field->displayLabel());
                m_numeric.append(field->type() == FieldType::Float || field->type() == FieldType::Integer);
                // Codes and names are what people search by; numbers and dates are not.
                if (field->type() == FieldType::String || field->type() == FieldType::Memo)
                    m_searchedFields.append(field->index());
            }
        }
        const int rows = recordSet.recordCount();
        m_codes.reserve(size_t(rows));
        m_checked.assign(size_t(rows), false);
        for (int row = 0; row < rows; ++row)
            m_codes.push_back(codeText(recordSet.value(row, keyFieldIndex)));
    }

    static QString codeText(const QVariant& value)
    {
        if (value.typeId() == QMetaType::Double && value.toDouble() == double(qint64(value.toDouble())))
            return QString::number(qint64(value.toDouble()));
        return value.toString();
    }

    int rowCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : int(m_codes.size()); }
    int columnCount(const QModelIndex& parent = {}) const override
    {
        return parent.isValid() ? 0 : int(m_fieldIndexes.size()) + 1;
    }

    QVariant data(const QModelIndex& index, int role) const override
    {
        if (!index.isValid())
            return {};
        const auto row = size_t(index.row());
        if (index.column() == 0)
            return role == Qt::CheckStateRole ? QVariant(m_checked[row] ? Qt::Checked : Qt::Unchecked) : QVariant();
        if (role == Qt::DisplayRole)
            return m_recordSet.displayText(index.row(), m_fieldIndexes.value(index.column() - 1));
        if (role == Qt::TextAlignmentRole)
            return QVariant::fromValue(Qt::AlignVCenter | (m_numeric.value(index.column() - 1) ? Qt::AlignRight : Qt::AlignLeft));
        return {};
    }

    bool setData(const QModelIndex& index, const QVariant& value, int role) override
    {
        if (!index.isValid() || index.column() != 0 || role != Qt::CheckStateRole)
            return false;
        setRowChecked(index.row(), value.toInt() == Qt::Checked);
        return true;
    }

    Qt::ItemFlags flags(const QModelIndex& index) const override
    {
        Qt::ItemFlags result = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
        if (index.column() == 0)
            result |= Qt::ItemIsUserCheckable;
        return result;
    }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section == 0)
            return {};
        return m_titles.value(section - 1);
    }

    void setRowChecked(int row, bool checked)
    {
        if (m_checked[size_t(row)] == checked)
            return;
        m_checked[size_t(row)] = checked;
        m_checkedCount += checked ? 1 : -1;
        emit dataChanged(index(row, 0), index(row, 0), {Qt::CheckStateRole});
    }

    bool isChecked(int row) const { return m_checked[size_t(row)]; }
    int checkedCount() const { return m_checkedCount; }
    const QString& code(int row) const { return m_codes[size_t(row)]; }
    const QString& key(int row) const
    {
        if (m_keys.empty()) {
            m_keys.reserve(m_codes.size());
            for (int r = 0; r < rowCount(); ++r) {
                QStringList texts;
                for (const int fieldIndex : m_searchedFields)
                    texts.append(m_recordSet.displayText(r, fieldIndex));
                m_keys.push_back(searchKey(texts.join(QLatin1Char('\n'))));
            }
        }
        return m_keys[size_t(row)];
    }
    int rowOfCode(const QString& code) const
    {
        for (size_t row = 0; row < m_codes.size(); ++row) {
            if (m_codes[row] == code)
                return int(row);
        }
        return -1;
    }

private:
    const RecordSet& m_recordSet;
    QList<int> m_fieldIndexes;
    QList<int> m_searchedFields;
    QStringList m_titles;
    QList<bool> m_numeric;
    std::vector<QString> m_codes;
    mutable std::vector<QString> m_keys;
    std::vector<bool> m_checked;
    int m_checkedCount = 0;
};

namespace {

constexpr int typingPauseMs = 250;

class ContainsFilter : public QSortFilterProxyModel {
public:
    using QSortFilterProxyModel::QSortFilterProxyModel;

    void setWanted(const QString& wanted)
    {
        m_wanted = searchKey(wanted);
        invalidateRowsFilter();
    }

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex&) const override
    {
        return m_wanted.isEmpty() || static_cast<CheckListModel*>(sourceModel())->key(sourceRow).contains(m_wanted);
    }

private:
    QString m_wanted;
};

QStringList parseStartingList(const QString& list)
{
    try {
        return listTextCodes(list);
    } catch (const ListTextError&) {
        // A list saved in another form cannot be trusted; the person sees
        // that it was dropped and chooses again.
        host().showMessage(MsgType::Warning,
                           QStringLiteral("A lista de códigos anterior não pôde ser lida e foi descartada."),
                           MsgButton::Ok, MsgButton::Ok);
        return {};
    }
}

bool runPesquisaLista(RecordSet* recordSet, const QString& keyField, const QString& caption, bool required,
                      QString& list)
{
    const PesquisaTitulo parts = splitPesquisaTitle(caption);
    if (!recordSet || !recordSet->isActive() || recordSet->isEmpty())
        MensErro(parts.emptyText, true);
    const int keyIndex = recordSet->fieldByName(keyField).index();
    const ApresentacaoPesquisa apresentacao(*recordSet);
    TfrmPesquisaLista dialog(*recordSet, keyIndex, parts.name, parseStartingList(list), required);
    if (!dialog.run())
        return false;
    list = listText(dialog.checkedCodes());
    return true;
}

} // namespace

bool PesquisaLista(RecordSet& source, const QString& keyField, const QString& caption, bool required, QString& list)
{
    return runPesquisaLista(&source, keyField, caption, required, list);
}

bool PesquisaLista(DataSource& source, const QString& keyField, const QString& caption, bool required,
                   QString& list)
{
    return runPesquisaLista(source.dataSet(), keyField, caption, required, list);
}

bool PesquisaLista(LookupQuery& source, const QString& keyField, const QString& caption, bool required,
                   QString& list)
{
    if (!source.isOpen())
        source.open();
    RecordSet rows(source.name());
    if (!source.isEmpty())
        rows.setData(source.toPacket());
    return runPesquisaLista(&rows, keyField, caption, required, list);
}

// --- the dialog ---------------------------------------------------------------------------

TfrmPesquisaLista::TfrmPesquisaLista(const RecordSet& recordSet, int keyFieldIndex, const QString& name,
                                     const QStringList& checkedCodes, bool required, QWidget* parent)
    : QDialog(parent),
      m_model(new CheckListModel(recordSet, keyFieldIndex, this)),
      m_filter(new ContainsFilter(this)),
      m_table(new QTableView(this)),
      m_search(new QLineEdit(this)),
      m_status(new QLabel(this)),
      m_typingPause(new QTimer(this)),
      m_required(required)
{
    setObjectName(QStringLiteral("frmPesquisaLista"));
    setWindowTitle(name.trimmed().isEmpty() ? QStringLiteral("Selecionar")
                                            : QStringLiteral("Selecionar – %1").arg(name.trimmed()));
    setSizeGripEnabled(true);
    for (const QString& code : checkedCodes) {
        const int row = m_model->rowOfCode(code);
        if (row >= 0)
            m_model->setRowChecked(row, true);
    }
    m_filter->setSourceModel(m_model);

    m_search->setObjectName(QStringLiteral("medProcurar"));
    m_search->setPlaceholderText(QStringLiteral("Digite parte do texto"));
    m_search->setClearButtonEnabled(true);
    m_search->installEventFilter(this);
    m_table->setObjectName(QStringLiteral("grdLista"));
    m_table->setModel(m_filter);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setWordWrap(false);
    m_table->setAlternatingRowColors(true);
    m_table->verticalHeader()->hide();
    m_table->verticalHeader()->setDefaultSectionSize(m_table->fontMetrics().height() + 8);
    m_table->horizontalHeader()->setHighlightSections(false);
    m_table->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_table->setColumnWidth(0, 30);
    m_table->installEventFilter(this);
    m_table->horizontalHeader()->setResizeContentsPrecision(200);   // widths from the first rows, not from all
    m_table->resizeColumnsToContents();
    m_table->setColumnWidth(0, 30);
    for (int column = 1; column < m_model->columnCount(); ++column)
        m_table->setColumnWidth(column, qBound(60, m_table->columnWidth(column) + 16, 360));
    keepColumnsReadable(*m_table, m_model->columnCount() - 1);
    m_status->setObjectName(QStringLiteral("lblStatus"));
    m_typingPause->setSingleShot(true);
    m_typingPause->setInterval(typingPauseMs);

    auto* searchLabel = new QLabel(QStringLiteral("Procurar"), this);
    searchLabel->setBuddy(m_search);
    auto* checkAll = new QPushButton(QStringLiteral("Marcar todos"), this);
    checkAll->setObjectName(QStringLiteral("btnMarcarTodos"));
    auto* uncheckAll = new QPushButton(QStringLiteral("Desmarcar todos"), this);
    uncheckAll->setObjectName(QStringLiteral("btnDesmarcarTodos"));
    checkAll->setAutoDefault(false);
    uncheckAll->setAutoDefault(false);
    auto* searchRow = new QHBoxLayout;
    searchRow->setSpacing(8);
    searchRow->addWidget(searchLabel);
    searchRow->addWidget(m_search, 1);
    searchRow->addSpacing(8);
    searchRow->addWidget(checkAll);
    searchRow->addWidget(uncheckAll);

    m_ok = layOutLookupDialog(this, searchRow, m_table, m_status);

    connect(m_ok, &QPushButton::clicked, this, [this] { guarded([&] { confirm(); }); });
    connect(checkAll, &QPushButton::clicked, this, [this] { checkAllShown(true); });
    connect(uncheckAll, &QPushButton::clicked, this, [this] { checkAllShown(false); });
    connect(m_search, &QLineEdit::textChanged, this, [this] { m_typingPause->start(); });
    connect(m_typingPause, &QTimer::timeout, this, &TfrmPesquisaLista::searchNow);
    connect(m_model, &QAbstractItemModel::dataChanged, this, &TfrmPesquisaLista::updateStatus);
    connect(m_table, &QTableView::doubleClicked, this, [this](const QModelIndex& index) {
        const int row = m_filter->mapToSource(index).row();
        m_model->setRowChecked(row, !m_model->isChecked(row));
    });

    updateStatus();
    int width = 60;
    for (int column = 0; column < m_model->columnCount(); ++column)
        width += m_table->columnWidth(column);
    resize(qBound(520, width, 900), 440);
    m_search->setFocus(Qt::OtherFocusReason);
}

TfrmPesquisaLista::~TfrmPesquisaLista() = default;

bool TfrmPesquisaLista::run()
{
    return host().execModal(*this) == QDialog::Accepted;
}

QStringList TfrmPesquisaLista::checkedCodes() const
{
    QStringList codes;
    for (int row = 0; row < m_model->rowCount(); ++row) {
        if (m_model->isChecked(row))
            codes.append(m_model->code(row));
    }
    return codes;
}

bool TfrmPesquisaLista::setChecked(const QString& code, bool checked)
{
    const int row = m_model->rowOfCode(code);
    if (row < 0)
        return false;
    m_model->setRowChecked(row, checked);
    return true;
}

void TfrmPesquisaLista::checkAllShown(bool checked)
{
    for (int row = 0; row < m_filter->rowCount(); ++row)
        m_model->setRowChecked(m_filter->mapToSource(m_filter->index(row, 0)).row(), checked);
}

void TfrmPesquisaLista::searchNow()
{
    m_typingPause->stop();
    static_cast<ContainsFilter*>(m_filter)->setWanted(m_search->text());
    if (m_filter->rowCount() > 0 && !m_table->currentIndex().isValid())
        m_table->setCurrentIndex(m_filter->index(0, 1));
    updateStatus();
}

int TfrmPesquisaLista::shownRowCount() const
{
    return m_filter->rowCount();
}

void TfrmPesquisaLista::updateStatus()
{
    const int checked = m_model->checkedCount();
    QString text = checked == 1 ? QStringLiteral("1 selecionado") : QStringLiteral("%1 selecionados").arg(checked);
    if (m_filter->rowCount() != m_model->rowCount())
        text += QStringLiteral(" · %1 de %2 mostrados").arg(m_filter->rowCount()).arg(m_model->rowCount());
    m_status->setText(text);
}

void TfrmPesquisaLista::confirm()
{
    if (m_required && checkedCodes().isEmpty())
        MensErro(QStringLiteral("Nenhum item foi selecionado."), true);
    accept();
}

bool TfrmPesquisaLista::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress)
        return QDialog::eventFilter(watched, event);
    auto* key = static_cast<QKeyEvent*>(event);
    if (watched == m_search) {
        switch (key->key()) {
        case Qt::Key_Up:
        case Qt::Key_Down:
        case Qt::Key_PageUp:
        case Qt::Key_PageDown:
            m_table->setFocus(Qt::OtherFocusReason);
            QCoreApplication::sendEvent(m_table, event);
            return true;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            searchNow();
            return true;
        default:
            break;
        }
    }
    if (watched == m_table && key->key() == Qt::Key_Space) {
        const QModelIndex current = m_table->currentIndex();
        if (current.isValid()) {
            const int row = m_filter->mapToSource(current).row();
            m_model->setRowChecked(row, !m_model->isChecked(row));
        }
        return true;
    }
    return QDialog::eventFilter(watched, event);
}
