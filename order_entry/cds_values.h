#pragma once
// Reading the current row of a record set that may be closed or empty, as
// the screen's handlers do before anything is loaded.

#include "field.h"
#include "recordset.h"

#include <optional>

inline bool temLinhas(const RecordSet* cds)
{
    return cds->isActive() && !cds->isEmpty();
}

// The field's text on the current row; empty when there is no row.
inline QString valor(const RecordSet* cds, const char* field)
{
    return temLinhas(cds) ? cds->fieldByName(QString::fromUtf8(field)).asString() : QString();
}

// The field of the current row, to read or to write.
inline Field& campo(const RecordSet* cds, const char* field)
{
    return cds->fieldByName(QString::fromUtf8(field));
}

// The field's number on the current row; 0 when there is no row.
inline double numero(const RecordSet* cds, const char* field)
{
    return temLinhas(cds) ? campo(cds, field).asFloat() : 0.0;
}

// The field's number on the current row; none when there is no row, no
// such field or the field is empty.
inline std::optional<double> opcional(const RecordSet* cds, const char* field)
{
    if (!temLinhas(cds))
        return std::nullopt;
    const Field* found = cds->findField(QString::fromUtf8(field));
    if (!found || found->isNull())
        return std::nullopt;
    return found->asFloat();
}
