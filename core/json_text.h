#pragma once
// JSON text written straight into a byte buffer, for the writers that build
// packets and deltas without a JSON value tree in between.

#include <QByteArray>
#include <QStringView>

// `text` as a JSON string, quotes included.
void appendJsonString(QByteArray& out, QStringView text);

// A finite number in its shortest exact form.
void appendJsonNumber(QByteArray& out, double number);
void appendJsonNumber(QByteArray& out, qint64 number);
