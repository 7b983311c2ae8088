#pragma once
// A supervisor's release is given on the client (the supervisor types a
// password into the clerk's screen) but must be believed by the server: the
// release method records it here, and the method that stores what was
// released takes it, once, shortly after.

#include <QSqlDatabase>
#include <QString>

// How long a release waits for the call it was given for.
inline constexpr qint64 SupervisorReleaseSeconds = 5 * 60;

// Records (or renews) the release of `kind` to `operatorCode` by `supervisor`.
void recordSupervisorRelease(const QSqlDatabase& db, const QString& operatorCode, qint64 kind, const QString& supervisor,
                             qint64 nowSeconds);

// Takes the operator's release of `kind` if one was given within the last
// SupervisorReleaseSeconds; false when there is none to take.
bool takeSupervisorRelease(const QSqlDatabase& db, const QString& operatorCode, qint64 kind, qint64 nowSeconds);
