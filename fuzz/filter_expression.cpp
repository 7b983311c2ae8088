// The record-set filter parser over arbitrary text (UTF-8), and what a
// parsed filter does next: bind its fields and match a few rows.

#include "filterexpression.h"
#include "fuzz_target.h"

#include <QDate>
#include <QString>

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    FilterExpression filter;
    try {
        filter = FilterExpression::parse(text);
    } catch (const FilterError& error) {
        if (error.position() < 0 || error.position() > text.size())
            fuzzFailure("a filter fault placed outside the text");
        return 0;
    }
    // The text it keeps must read back to the same filter.
    const FilterExpression again = FilterExpression::parse(filter.text());
    const QStringList fields = filter.fieldNames();
    if (again.fieldNames() != fields)
        fuzzFailure("the filter's own text reads differently");
    try {
        // Field names are case-insensitive, as in a record set.
        filter.bind([&](const QString& name) {
            for (qsizetype i = 0; i < fields.size(); ++i) {
                if (fields[i].compare(name, Qt::CaseInsensitive) == 0)
                    return int(i);
            }
            return -1;
        });
    } catch (const FilterError&) {
        fuzzFailure("a filter did not bind to its own field names");
    }
    const QList<QVariant> samples{QVariant(), QVariant(0), QVariant(-12.5), QVariant(QStringLiteral("0001")),
                                  QVariant(QStringLiteral("")), QVariant(QDate(2026, 12, 7)), QVariant(true)};
    for (const QVariant& sample : samples) {
        QVariantList row;
        for (qsizetype i = 0; i < fields.size(); ++i)
            row.append(i % 2 ? samples.value((i + sample.toInt()) % samples.size()) : sample);
        try {
            filter.matches(row);
        } catch (const FilterError&) {
            // Values of kinds that do not compare: the row's fault, said so.
        }
    }
    return 0;
}
