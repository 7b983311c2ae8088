#include "recordsetmodel.h"

#include "datasource.h"
#include "field.h"
#include "guard.h"

#include <QLoggingCategory>

Q_LOGGING_CATEGORY(lcModel, "ped.widgets.model")

namespace {
// A view must keep painting even when a text handler fails; the failure is
// logged once per paint rather than shown in a loop of message boxes.
QString safeDisplayText(const RecordSet& rs, int row, int fieldIndex)
{
    try {
        return rs.displayText(row, fieldIndex);
    } catch (const std::exception& failure) {
        qCWarning(lcModel) << rs.name() << "linha" << row << "campo" << fieldIndex << failure.what();
    } catch (...) {
        qCWarning(lcModel) << rs.name() << "linha" << row << "campo" << fieldIndex << "falha desconhecida";
    }
    return {};
}
}

RecordSetModel::RecordSetModel(QObject* parent) : QAbstractTableModel(parent) {}

RecordSetModel::~RecordSetModel() = default;

DataSource* RecordSetModel::dataSource() const
{
    return m_dataSource;
}

void RecordSetModel::setDataSource(DataSource* dataSource)
{
    if (m_dataSource == dataSource)
        return;
    if (m_dataSource)
        disconnect(m_dataSource, nullptr, this, nullptr);
    m_dataSource = dataSource;
    if (m_dataSource) {
        connect(m_dataSource, &DataSource::dataSetChanged, this, &RecordSetModel::bind);
        connect(m_dataSource, &DataSource::stateChanged, this, &RecordSetModel::onStateChanged);
        connect(m_dataSource, &QObject::destroyed, this, [this] {
            beginResetModel();
            unbind();
            endResetModel();
        });
    }
    bind();
}

RecordSet* RecordSetModel::recordSet() const
{
    if (!m_recordSet || !m_recordSet->isActive())
        return nullptr;
    return m_recordSet;
}

void RecordSetModel::setColumns(const QList<RecordSetColumn>& columns)
{
    m_changingRows = true;
    beginResetModel();
    m_columns = columns;
    resolveFields();
    endResetModel();
    m_changingRows = false;
    announceCurrentRow();
}

void RecordSetModel::setColumns(const QStringList& fieldNames)
{
    QList<RecordSetColumn> columns;
    for (const QString& name : fieldNames)
        columns.append(RecordSetColumn{name, {}, {}, {}, false});
    setColumns(columns);
}

Field* RecordSetModel::field(int column) const
{
    const int index = fieldIndex(column);
    return index >= 0 ? &m_recordSet->field(index) : nullptr;
}

int RecordSetModel::fieldIndex(int column) const
{
    if (column < 0 || column >= m_fieldIndexes.size() || !m_recordSet)
        return -1;
    return m_fieldIndexes[column];
}

int RecordSetModel::rowCount(const QModelIndex& parent) const
{
    if (parent.isValid() || m_resetting)
        return 0;
    const RecordSet* rs = recordSet();
    return rs ? rs->recordCount() : 0;
}

int RecordSetModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_columns.size());
}

QVariant RecordSetModel::data(const QModelIndex& index, int role) const
{
    const RecordSet* rs = recordSet();
    if (!rs || !isValidCell(index))
        return {};
    const int fieldIdx = m_fieldIndexes[index.column()];
    switch (role) {
    case Qt::DisplayRole:
        return fieldIdx >= 0 ? QVariant(safeDisplayText(*rs, index.row(), fieldIdx)) : QVariant();
    case Qt::EditRole:
        if (fieldIdx < 0)
            return {};
        // The editor opens on the current row; the edit format applies there.
        if (index.row() == rs->currentRow()) {
            QString text;
            guarded([&] { text = rs->field(fieldIdx).editText(); });
            return text;
        }
        return safeDisplayText(*rs, index.row(), fieldIdx);
    case Qt::TextAlignmentRole: {
        Qt::Alignment alignment = m_columns[index.column()].alignment;
        if (!(alignment & Qt::AlignHorizontal_Mask)) {
            const bool number = fieldIdx >= 0
                && (rs->field(fieldIdx).type() == FieldType::Float
                    || rs->field(fieldIdx).type() == FieldType::Integer);
            alignment |= number ? Qt::AlignRight : Qt::AlignLeft;
        }
        if (!(alignment & Qt::AlignVertical_Mask))
            alignment |= Qt::AlignVCenter;
        return QVariant::fromValue(alignment);
    }
    case FieldIndexRole:
        return fieldIdx;
    case ValueRole:
        return fieldIdx >= 0 ? rs->value(index.row(), fieldIdx) : QVariant();
    default:
        return {};
    }
}

bool RecordSetModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (role != Qt::EditRole || !isValidCell(index))
        return false;
    bool written = false;
    guarded([&] { written = writeText(index, value.toString()); });
    return written;
}

bool RecordSetModel::writeText(const QModelIndex& index, const QString& text)
{
    RecordSet* rs = recordSet();
    Field* target = field(index.column());
    if (!rs || !target || !m_dataSource || !flags(index).testFlag(Qt::ItemIsEditable))
        return false;
    if (rs->currentRow() != index.row())
        rs->setCurrentRow(index.row());
    if (!m_dataSource->edit())
        return false;
    target->setText(text);
    return true;
}

bool RecordSetModel::isValidCell(const QModelIndex& index) const
{
    return index.isValid() && index.model() == this && index.row() < rowCount() && index.column() < columnCount();
}

QVariant RecordSetModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Vertical) {
        const RecordSet* rs = recordSet();
        if (role != Qt::DisplayRole || !rs || section != rs->currentRow())
            return {};
        switch (rs->state()) {
        case RecordSet::State::Insert: return QStringLiteral("*");
        case RecordSet::State::Edit: return QStringLiteral("\u270E");
        default: return QStringLiteral("\u25B8");
        }
    }
    if (section < 0 || section >= m_columns.size())
        return {};
    const RecordSetColumn& column = m_columns[section];
    switch (role) {
    case Qt::DisplayRole: {
        if (!column.title.isEmpty())
            return column.title;
        const Field* f = field(section);
        return f ? f->displayLabel() : column.fieldName;
    }
    case Qt::TextAlignmentRole:
        if (column.titleAlignment)
            return QVariant::fromValue(column.titleAlignment | Qt::AlignVCenter);
        return QVariant::fromValue(Qt::Alignment(Qt::AlignLeft | Qt::AlignVCenter));
    case Qt::ToolTipRole:
        return column.hint.isEmpty() ? QVariant() : QVariant(column.hint);
    default:
        return {};
    }
}

Qt::ItemFlags RecordSetModel::flags(const QModelIndex& index) const
{
    if (!isValidCell(index))
        return Qt::NoItemFlags;
    Qt::ItemFlags result = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    const Field* f = field(index.column());
    if (f && !m_columns[index.column()].readOnly && !f->isReadOnly() && !f->isCalculated()
        && f->kind() != Field::Kind::Aggregate && m_dataSource
        && (m_dataSource->autoEdit() || m_dataSource->isEditing()))
        result |= Qt::ItemIsEditable;
    return result;
}

void RecordSetModel::refresh()
{
    if (rowCount() > 0 && columnCount() > 0)
        emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
    emit headerDataChanged(Qt::Horizontal, 0, qMax(0, columnCount() - 1));
}

void RecordSetModel::bind()
{
    m_changingRows = true;
    beginResetModel();
    unbind();
    RecordSet* rs = m_dataSource && m_dataSource->isEnabled() ? m_dataSource->dataSet() : nullptr;
    m_recordSet = rs;
    if (rs) {
        m_connections << connect(rs, &RecordSet::rowsAboutToBeInserted, this, [this](int first, int last) {
            m_changingRows = true;
            beginInsertRows({}, first, last);
        });
        m_connections << connect(rs, &RecordSet::rowsInserted, this, [this] {
            endInsertRows();
            m_changingRows = false;
            announceCurrentRow();
        });
        m_connections << connect(rs, &RecordSet::rowsAboutToBeRemoved, this, [this](int first, int last) {
            m_changingRows = true;
            beginRemoveRows({}, first, last);
        });
        m_connections << connect(rs, &RecordSet::rowsRemoved, this, [this] {
            endRemoveRows();
            m_changingRows = false;
            announceCurrentRow();
        });
        m_connections << connect(rs, &RecordSet::aboutToReset, this, [this] {
            m_changingRows = true;
            m_resetting = true;
            beginResetModel();
        });
        m_connections << connect(rs, &RecordSet::resetDone, this, [this] {
            resolveFields();
            m_resetting = false;
            endResetModel();
            m_changingRows = false;
            announceCurrentRow();
        });
        m_connections << connect(rs, &RecordSet::rowChanged, this, &RecordSetModel::onRowChanged);
        m_connections << connect(rs, &RecordSet::currentRowChanged, this, [this](int row) {
            // The row indicator moves from the old row to the new one.
            const int first = qMax(0, qMin(m_indicatorRow, row));
            const int last = qMin(rowCount() - 1, qMax(m_indicatorRow, row));
            m_indicatorRow = row;
            if (first <= last)
                emit headerDataChanged(Qt::Vertical, first, last);
            emit currentRowChanged(row);
        });
    }
    resolveFields();
    endResetModel();
    m_changingRows = false;
    announceCurrentRow();
}

void RecordSetModel::unbind()
{
    for (const auto& connection : std::as_const(m_connections))
        disconnect(connection);
    m_connections.clear();
    m_recordSet = nullptr;
}

void RecordSetModel::resolveFields()
{
    m_fieldIndexes.clear();
    for (const RecordSetColumn& column : std::as_const(m_columns)) {
        const bool bound = m_recordSet && !column.fieldName.isEmpty();
        m_fieldIndexes.append(bound ? m_recordSet->fieldIndex(column.fieldName) : -1);
    }
}

void RecordSetModel::onRowChanged(int row, int fieldIndex)
{
    if (row < 0 || row >= rowCount() || m_columns.isEmpty())
        return;
    const QList<int> roles{Qt::DisplayRole, Qt::EditRole, ValueRole};
    if (fieldIndex < 0) {
        emit dataChanged(index(row, 0), index(row, columnCount() - 1), roles);
        return;
    }
    for (int column = 0; column < m_fieldIndexes.size(); ++column) {
        if (m_fieldIndexes[column] == fieldIndex)
            emit dataChanged(index(row, column), index(row, column), roles);
    }
}

void RecordSetModel::onStateChanged()
{
    // The row indicator of the current row shows the state.
    const RecordSet* rs = recordSet();
    const int row = rs ? rs->currentRow() : -1;
    if (row >= 0 && row < rowCount())
        emit headerDataChanged(Qt::Vertical, row, row);
}

void RecordSetModel::announceCurrentRow()
{
    const RecordSet* rs = recordSet();
    emit currentRowChanged(rs ? rs->currentRow() : -1);
}
