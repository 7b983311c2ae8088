#pragma once
// The screen's record sets declare their fields from compact lists: name,
// type, size (0 where the type has none) and caption.

#include "field.h"
#include "recordset.h"

#include <initializer_list>

namespace FieldList {

struct Def {
    const char* name;
    FieldType type;
    int size;
    const char* label;   // empty: the field name stays the caption
};

inline constexpr FieldType S = FieldType::String;
inline constexpr FieldType F = FieldType::Float;
inline constexpr FieldType I = FieldType::Integer;
inline constexpr FieldType DT = FieldType::DateTime;
inline constexpr FieldType M = FieldType::Memo;

enum class Visibility { Shown, Hidden };

inline void addFields(RecordSet& cds, std::initializer_list<Def> defs, Visibility visibility = Visibility::Shown)
{
    for (const Def& def : defs) {
        Field& field = cds.addField(QString::fromUtf8(def.name), def.type, def.size);
        if (def.label && *def.label)
            field.setDisplayLabel(QString::fromUtf8(def.label));
        if (visibility == Visibility::Hidden)
            field.setVisible(false);
    }
}

} // namespace FieldList
