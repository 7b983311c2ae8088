#include "pesquisar.h"

#include "widgets/datasource.h"
#include "field.h"
#include "guard.h"
#include "host.h"
#include "locate.h"
#include "lookupcolumns.h"
#include "lookupframe.h"
#include "lookupquery.h"
#include "messages.h"
#include "pesquisardialog.h"
#include "recordset.h"
#include "widgets/dbgrid.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace {

constexpr int typingPauseMs = 250;

bool isNameField(const QString& fieldName)
{
    return fieldName.startsWith(QLatin1String("NM"), Qt::CaseInsensitive)
        || fieldName.startsWith(QLatin1String("DS"), Qt::CaseInsensitive);
}

bool runPesquisa(RecordSet& recordSet, const QString& title, const PesquisaOpcoes& options, bool containing)
{
    const PesquisaTitulo parts = splitPesquisaTitle(title);
    if (!recordSet.isActive() || recordSet.isEmpty())
        MensErro(parts.emptyText, true);
    if (recordSet.fieldCount() == 0)
        MensErro(QStringLiteral("Campos devem ser especificados para a consulta."), true);
    const Bookmark start = recordSet.bookmark();
    const ApresentacaoPesquisa apresentacao(recordSet);
    TfrmPesquisa dialog(recordSet, parts.name, options, containing);
    if (dialog.run())
        return true;
    if (recordSet.bookmarkValid(start))
        recordSet.gotoBookmark(start);
    return false;
}

bool runPesquisa(DataSource& source, const QString& title, const PesquisaOpcoes& options, bool containing)
{
    RecordSet* recordSet = source.dataSet();
    if (!recordSet)
        MensErro(splitPesquisaTitle(title).emptyText, true);
    return runPesquisa(*recordSet, title, options, containing);
}

bool runPesquisa(LookupQuery& query, const QString& title, const PesquisaOpcoes& options, bool containing)
{
    if (!query.isOpen())
        query.open();
    if (query.isEmpty())
        MensErro(splitPesquisaTitle(title).emptyText, true);
    // The dialog browses a copy; the query then stands on the chosen row.
    RecordSet rows(query.name());
    rows.setData(query.toPacket());
    if (!runPesquisa(rows, title, options, containing))
        return false;
    query.setCurrentRow(rows.currentRow());
    return true;
}

} // namespace

PesquisaTitulo splitPesquisaTitle(const QString& title)
{
    const int bar = title.indexOf(QLatin1Char('|'));
    if (bar >= 0)
        return {title.left(bar), title.mid(bar + 1)};
    QString name = title;
    if (!name.isEmpty() && name.at(0).isDigit())
        name.remove(0, 1);
    return {name, QStringLiteral("Não há %1 cadastrado(a).").arg(name.trimmed().toLower())};
}

bool Pesquisar(RecordSet& source, const QString& title, const PesquisaOpcoes& options)
{
    return runPesquisa(source, title, options, false);
}

bool Pesquisar(DataSource& source, const QString& title, const PesquisaOpcoes& options)
{
    return runPesquisa(source, title, options, false);
}

bool Pesquisar(LookupQuery& source, const QString& title, const PesquisaOpcoes& options)
{
    return runPesquisa(source, title, options, false);
}

bool Pesquisar_Plus(RecordSet& source, const QString& title, const PesquisaOpcoes& options)
{
    return runPesquisa(source, title, options, true);
}

bool Pesquisar_Plus(DataSource& source, const QString& title, const PesquisaOpcoes& options)
{
    return runPesquisa(source, title, options, true);
}

bool Pesquisar_Plus(LookupQuery& source, const QString& title, const PesquisaOpcoes& options)
{
    return runPesquisa(source, title, options, true);
}

// --- the dialog ---------------------------------------------------------------------

TfrmPesquisa::TfrmPesquisa(RecordSet& recordSet, const QString& name, const PesquisaOpcoes& options,
                           bool containing, QWidget* parent)
    : QDialog(parent),
      m_recordSet(recordSet),
      m_options(options),
      m_containing(containing),
      m_dataSource(new DataSource(QStringLiteral("dtsPesquisa"), this)),
      m_grid(new DBGrid(this)),
      m_fields(new QComboBox(this)),
      m_search(new QLineEdit(this)),
      m_status(new QLabel(this)),
      m_typingPause(new QTimer(this))
{
    setObjectName(QStringLiteral("frmPesquisa"));
    setWindowTitle(name.trimmed().isEmpty() ? QStringLiteral("Pesquisar")
                                            : QStringLiteral("Pesquisar – %1").arg(name.trimmed()));
    setSizeGripEnabled(true);
    m_dataSource->setAutoEdit(false);
    m_dataSource->setDataSet(&recordSet);

    m_fields->setObjectName(QStringLiteral("cbbOrdem"));
    m_search->setObjectName(QStringLiteral("medProcurar"));
    m_search->setPlaceholderText(containing ? QStringLiteral("Digite parte do texto")
                                            : QStringLiteral("Digite o início do texto"));
    m_search->setClearButtonEnabled(true);
    m_search->installEventFilter(this);
    m_grid->setObjectName(QStringLiteral("dbgArquivo"));
    m_grid->setOptions(DBGrid::Titles | DBGrid::ColumnResize | DBGrid::ColLines | DBGrid::RowLines
                       | DBGrid::RowSelect | DBGrid::AlwaysShowSelection);
    m_grid->setReadOnly(true);
    m_grid->setDataSource(m_dataSource);
    m_grid->setStretchLastColumn(true);
    m_status->setObjectName(QStringLiteral("lblStatus"));
    m_typingPause->setSingleShot(true);
    m_typingPause->setInterval(typingPauseMs);

    auto* searchRow = new QHBoxLayout;
    searchRow->setSpacing(8);
    auto* fieldLabel = new QLabel(QStringLiteral("Campo"), this);
    fieldLabel->setBuddy(m_fields);
    auto* searchLabel = new QLabel(QStringLiteral("Procurar"), this);
    searchLabel->setBuddy(m_search);
    searchRow->addWidget(fieldLabel);
    searchRow->addWidget(m_fields);
    searchRow->addSpacing(8);
    searchRow->addWidget(searchLabel);
    searchRow->addWidget(m_search, 1);

    m_ok = layOutLookupDialog(this, searchRow, m_grid, m_status);

    buildColumns();

    connect(m_ok, &QPushButton::clicked, this, [this] { guarded([&] { confirm(); }); });
    connect(m_search, &QLineEdit::textChanged, this, [this] { m_typingPause->start(); });
    connect(m_typingPause, &QTimer::timeout, this, [this] { guarded([&] { searchNow(); }); });
    connect(m_fields, &QComboBox::currentIndexChanged, this, [this] { guarded([&] { fieldChosen(); }); });
    m_grid->onDblClick = [this](DBGrid&) { confirm(); };
    m_grid->onKeyDown = [this](DBGrid&, int& key, Qt::KeyboardModifiers) {
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            key = 0;
            confirm();
        }
    };
    // Typing in the grid goes on in the search box.
    m_grid->onKeyPress = [this](DBGrid&, QChar& key) {
        if (key == QLatin1Char('\b')) {
            m_search->setText(m_search->text().left(m_search->text().size() - 1));
        } else if (key.isPrint() && key != QLatin1Char('`')) {
            m_search->setText(m_search->text() + (m_options.upperCase ? key.toUpper() : key));
        } else if (key != QLatin1Char('`')) {
            return;
        }
        key = QChar();
        m_search->setFocus(Qt::OtherFocusReason);
        m_search->end(false);
    };
    if (m_options.upperCase) {
        connect(m_search, &QLineEdit::textEdited, this, [this](const QString& text) {
            if (text == text.toUpper())
                return;
            const int cursor = m_search->cursorPosition();
            m_search->setText(text.toUpper());
            m_search->setCursorPosition(cursor);
        });
    }

    m_shown = recordSet.recordCount();
    updateStatus();
    int width = 60;
    for (int i = 0; i < m_grid->columnCount(); ++i)
        width += m_grid->column(i).width();
    resize(qBound(540, width, 980), 440);
    m_search->setFocus(Qt::OtherFocusReason);
}

TfrmPesquisa::~TfrmPesquisa()
{
    m_grid->setDataSource(nullptr);
}

bool TfrmPesquisa::run()
{
    return host().execModal(*this) == QDialog::Accepted;
}

void TfrmPesquisa::buildColumns()
{
    if (m_options.columns.isEmpty()) {
        for (const Field* field : m_recordSet.fields()) {
            if (field->isVisible() && field->kind() != Field::Kind::Aggregate)
                m_grid->addColumn(field->name());
        }
    } else {
        for (const PesquisaColuna& column : std::as_const(m_options.columns)) {
            m_recordSet.fieldByName(column.fieldName);   // a wrong name fails clearly
            m_grid->addColumn(column.fieldName, column.title);
        }
    }
    QSignalBlocker block(m_fields);
    int chosen = -1;
    for (int i = 0; i < m_grid->columnCount(); ++i) {
        const Field* field = m_grid->column(i).field();
        if (!field || field->isCalculated())
            continue;
        m_fields->addItem(m_grid->column(i).title());
        m_fieldIndexes.append(field->index());
        const bool wanted = m_options.searchField.isEmpty()
            ? isNameField(field->name())
            : field->name().compare(m_options.searchField, Qt::CaseInsensitive) == 0;
        if (chosen < 0 && wanted)
            chosen = int(m_fieldIndexes.size()) - 1;
    }
    m_fields->setCurrentIndex(chosen >= 0 ? chosen : 0);
    fieldChosen();
}

int TfrmPesquisa::fieldIndexOfChoice() const
{
    return m_fieldIndexes.value(m_fields->currentIndex(), -1);
}

void TfrmPesquisa::fieldChosen()
{
    const int fieldIndex = fieldIndexOfChoice();
    const Field* field = fieldIndex >= 0 ? &m_recordSet.field(fieldIndex) : nullptr;
    const bool limited = field && field->type() == FieldType::String && field->size() > 0 && !m_containing;
    m_search->setMaxLength(limited ? field->size() : 32767);
    if (!m_search->text().isEmpty())
        searchNow();
}

void TfrmPesquisa::searchNow()
{
    m_typingPause->stop();
    const int fieldIndex = fieldIndexOfChoice();
    const int count = m_recordSet.recordCount();
    if (m_keysField != fieldIndex || int(m_keys.size()) != count) {
        m_keys.clear();
        m_keys.reserve(size_t(count));
        for (int row = 0; row < count; ++row)
            m_keys.push_back(fieldIndex >= 0 ? searchKey(m_recordSet.displayText(row, fieldIndex)) : QString());
        m_keysField = fieldIndex;
    }
    const QString wanted = searchKey(m_search->text());
    int identical = -1;
    int first = -1;
    m_shown = 0;
    m_grid->setUpdatesEnabled(false);
    for (int row = 0; row < count; ++row) {
        const QString& key = m_keys[size_t(row)];
        const bool match = wanted.isEmpty() || (m_containing ? key.contains(wanted) : key.startsWith(wanted));
        if (m_grid->isRowHidden(row) == match)
            m_grid->setRowHidden(row, !match);
        if (!match)
            continue;
        ++m_shown;
        if (first < 0)
            first = row;
        if (identical < 0 && !wanted.isEmpty() && key == wanted)
            identical = row;
    }
    m_grid->setUpdatesEnabled(true);
    const int target = identical >= 0 ? identical : first;
    if (target >= 0 && !wanted.isEmpty())
        m_recordSet.setCurrentRow(target);
    else if (target >= 0 && m_grid->isRowHidden(qMax(0, m_recordSet.currentRow())))
        m_recordSet.setCurrentRow(target);
    updateStatus();
}

int TfrmPesquisa::shownRowCount() const
{
    return m_shown;
}

void TfrmPesquisa::updateStatus()
{
    if (m_shown == 0) {
        m_status->setText(QStringLiteral("Texto não encontrado."));
        m_status->setStyleSheet(QStringLiteral("color: #b3261e;"));
    } else {
        m_status->setText(m_shown == 1 ? QStringLiteral("1 registro") : QStringLiteral("%1 registros").arg(m_shown));
        m_status->setStyleSheet(QStringLiteral("color: palette(mid);"));
    }
    m_ok->setEnabled(m_shown > 0);
}

void TfrmPesquisa::confirm()
{
    if (m_typingPause->isActive())
        searchNow();
    const int row = m_recordSet.currentRow();
    if (m_shown == 0 || row < 0 || m_grid->isRowHidden(row))
        return;
    accept();
}

bool TfrmPesquisa::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_search && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        switch (key->key()) {
        case Qt::Key_Up:
        case Qt::Key_Down:
        case Qt::Key_PageUp:
        case Qt::Key_PageDown:
            QCoreApplication::sendEvent(m_grid, event);
            return true;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            guarded([&] {
                searchNow();
                confirm();
            });
            return true;
        default:
            break;
        }
    }
    return QDialog::eventFilter(watched, event);
}
