#pragma once
// A field of a record set: its definition, its presentation, and access to
// its value in the record set's current row.
//
// Fields belong to their RecordSet (RecordSet::addField / addAggregate) and
// live as long as it does; hold them by reference or pointer, never copy.
//
// Which row a field reads:
//   - the current row; while the record set is in edit or insert state, the
//     row being edited (so a value set is visible at once);
//   - inside OnCalcFields, the row being calculated;
//   - inside OnGetText called for a view (RecordSet::displayText), the row
//     being painted.
// An aggregate field reads the aggregate's value, whatever the row.
//
// Values are held as QVariant of one kind per type: String/Memo QString,
// Integer qlonglong (int accepted), Float double, Boolean bool, Date QDate,
// DateTime QDateTime. Null is an invalid QVariant. Coded flags ("S"/"N",
// "1".."9") are String fields compared as text.
//
// Texts follow Brazilian conventions: decimal comma, "." for thousands,
// dates "dd/mm/yyyy".

#include "datapacket.h"

#include <QDateTime>
#include <QString>
#include <QVariant>
#include <functional>

class RecordSet;

class Field {
public:
    enum class Kind {
        Data,           // loaded from the packet, kept in the change log, sent back
        Calculated,     // set by OnCalcFields; not in the change log, the delta or Data()
        InternalCalc,   // set by OnCalcFields and kept with the row (aggregates may sum it);
                        // not in the delta or Data()
        Aggregate       // value of an aggregate over the rows ("SUM(VRTOTALITEM)")
    };

    Field(const Field&) = delete;
    Field& operator=(const Field&) = delete;

    // --- Definition -------------------------------------------------------
    const QString& name() const { return m_name; }
    FieldType type() const { return m_type; }
    int size() const { return m_size; }          // characters of a string; 0 = unlimited
    Kind kind() const { return m_kind; }
    bool isCalculated() const { return m_kind == Kind::Calculated || m_kind == Kind::InternalCalc; }
    int index() const { return m_index; }        // position in RecordSet::fields()
    RecordSet& recordSet() const { return *m_recordSet; }
    QString aggregateExpression() const { return m_expression; }   // aggregates only

    // --- Presentation and behaviour ---------------------------------------
    // Label shown in grid titles and messages; the name when not set.
    QString displayLabel() const { return m_label.isEmpty() ? m_name : m_label; }
    void setDisplayLabel(const QString& label) { m_label = label; }

    // Number masks: "#,##0.00", "###0.00", "0.000" ("," = thousands grouping,
    // "0" forced digit, "#" optional digit; shown with "." thousands and ","
    // decimals). Date masks: "dd/mm/yyyy", "dd/mm/yyyy hh:nn:ss" ("nn" or "mm"
    // after "hh" = minutes), "ddd" = abbreviated weekday.
    QString displayFormat() const { return m_displayFormat; }
    void setDisplayFormat(const QString& format) { m_displayFormat = format; }
    QString editFormat() const { return m_editFormat; }   // used by editText(); display format when empty
    void setEditFormat(const QString& format) { m_editFormat = format; }
    // Stored for bound edits (e.g. "!90/90/0000 !90:00:00;1; "); the record set
    // does not apply it.
    QString editMask() const { return m_editMask; }
    void setEditMask(const QString& mask) { m_editMask = mask; }
    int displayWidth() const { return m_displayWidth; }   // characters; 0 = the view decides
    void setDisplayWidth(int characters) { m_displayWidth = characters; }

    bool isVisible() const { return m_visible; }
    void setVisible(bool visible) { m_visible = visible; }
    // A hint for views and bound edits (they refuse typing); program code may
    // still set the value.
    bool isReadOnly() const { return m_readOnly; }
    void setReadOnly(bool readOnly) { m_readOnly = readOnly; }
    int tag() const { return m_tag; }
    void setTag(int tag) { m_tag = tag; }
    // Whether the server writes the field back: only data fields with this
    // flag go into the delta. True by default.
    bool writesBack() const { return m_writeBack; }
    void setWritesBack(bool writeBack) { m_writeBack = writeBack; }
    // A required field must not be null when a row is posted (checked after
    // BeforePost; the post is refused with a message naming the label).
    bool isRequired() const { return m_required; }
    void setRequired(bool required) { m_required = required; }

    // --- Value ------------------------------------------------------------
    QVariant value() const;              // null when there is no row
    bool isNull() const { return value().isNull(); }
    // Conversions of a null value give 0, "", false and an invalid date-time.
    // A text that is not a number throws RecordSetError from asFloat/asInteger.
    QString asString() const;            // floats as "12,5"; dates "dd/MM/yyyy"; date-times "dd/MM/yyyy HH:mm:ss"
    double asFloat() const;
    qint64 asInteger() const;            // floats are rounded half away from zero
    bool asBoolean() const;              // strings: "S", "SIM", "TRUE", "1" (any case) are true
    QDateTime asDateTime() const;
    QDate asDate() const;

    // Allowed in edit or insert state (and for calculated fields inside
    // OnCalcFields). The value is converted to the field type; a QString for a
    // non-string field is read like setText (without OnSetText). A string
    // longer than size() is refused, as is a value that does not convert.
    // Order: OnValidate, then the row's calculated fields (a throw from either
    // puts the old value back), then views are told, then OnChange.
    // Setting a value equal to the current one does nothing.
    void setValue(const QVariant& value);
    void clear() { setValue(QVariant()); }

    // The value as last loaded or merged (what the server holds): before the
    // current edit and before any change posted since. Null for a row inserted
    // here and for calculated fields.
    QVariant oldValue() const;

    // --- Text -------------------------------------------------------------
    // text(): the display text, through OnGetText(field, true) when set,
    // otherwise formatText(true). editText(): the same with displayText false
    // (edit format). Empty when there is no row or the value is null.
    QString text() const;
    QString editText() const;
    // Through OnSetText when set, otherwise parseText. An empty text sets null.
    void setText(const QString& text);

    // The default conversions, for handlers that add to them.
    QString formatText(bool displayText) const;
    void parseText(const QString& text);

    // --- Events (replaceable; see EventDetach in eventguard.h) -------------
    std::function<void(Field&)> onChange;
    std::function<QString(Field&, bool displayText)> onGetText;
    std::function<void(Field&, const QString& text)> onSetText;
    std::function<void(Field&)> onValidate;   // throw to refuse the new value (value() shows it)

private:
    friend class RecordSet;
    friend struct RecordSetPrivate;
    Field(RecordSet* recordSet, const QString& name, FieldType type, int size, Kind kind, int index);

    RecordSet* m_recordSet;
    QString m_name;
    FieldType m_type;
    int m_size;
    Kind m_kind;
    int m_index;
    int m_slot = -1;        // position in the stored row; -1 for aggregates
    int m_aggregate = -1;   // aggregate number, for aggregate fields

    QString m_label;
    QString m_displayFormat;
    QString m_editFormat;
    QString m_editMask;
    QString m_expression;
    int m_displayWidth = 0;
    int m_tag = 0;
    bool m_visible = true;
    bool m_readOnly = false;
    bool m_writeBack = true;
    bool m_required = false;
};

// Value conversions shared by fields, filters and views.
namespace FieldText {
// Number by a mask ("#,##0.00"); rounding half away from zero on the decimal
// digits of the value (2.675 -> "2,68").
QString formatNumber(double value, const QString& mask);
// Shortest text of a float with decimal comma ("12,5", "1E20").
QString floatToText(double value);
// A number as a clerk types it, the Brazilian way ("1.234,56", "12,5", "-3").
// A lone "." with no comma groups thousands ("1.234" = 1234); otherwise a
// grid cell reads it as a decimal point ("12.5" = 12.5), while a number edit,
// which always shows the comma, refuses it rather than guess.
// Returns false for anything else.
enum class LoneDot { DecimalPoint, Refused };
bool parseNumber(const QString& text, double* value, LoneDot loneDot = LoneDot::DecimalPoint);
// Date masks in the "dd/mm/yyyy hh:nn:ss" style to text.
QString formatDateTime(const QDateTime& value, const QString& mask);
}
