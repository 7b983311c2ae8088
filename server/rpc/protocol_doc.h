#pragma once
// The method reference of docs/protocol.md, generated from the registry so
// that the document cannot drift from what the server accepts.

#include <QString>

class MethodRegistry;

inline const QString ProtocolDocBeginMarker =
    QStringLiteral("<!-- BEGIN GENERATED METHOD REFERENCE (pedserver --update-protocol-doc) -->");
inline const QString ProtocolDocEndMarker = QStringLiteral("<!-- END GENERATED METHOD REFERENCE -->");

QString methodReference(const MethodRegistry& registry);

// `document` with the text between the markers replaced by `reference`.
// Throws std::runtime_error when the markers are missing.
QString withMethodReference(const QString& document, const QString& reference);
