#pragma once
// Reading the current row of a record set that may be closed or empty, as
// the screen's handlers do before anything is loaded.

#include "field.h"
#include "recordset.h"

inline bool temLinhas(const RecordSet* cds)
{
    return cds->isActive() && !cds->isEmpty();
}

// The field's text on the current row; empty when there is no row.
inline QString valor(const RecordSet* cds, const char* field)
{
    return temLinhas(cds) ? cds->fieldByName(QString::fromUtf8(field)).asString() : QString();
}
