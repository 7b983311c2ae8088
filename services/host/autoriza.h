#pragma once
// Supervisor's release of an operation the operator may not do alone.

#include <QString>

class TNetConnection;

// A supervisor types operator and password in TfrmAutoriza (run through the
// Host); the server's "AutorizaOperador"(operator, password, kind) on
// "Bib.rdmDBGeral", reached at the endpoint of `connection`, decides. A
// refusal shows its reason in the dialog for another try, up to
// AutorizaMaxAttempts. Returns true when released; false when cancelled,
// refused every time, or the server could not be reached (that failure is
// reported as every server failure is). No password is checked here.
constexpr int AutorizaMaxAttempts = 3;
bool Autoriza(TNetConnection& connection, int kind, const QString& operation, const QString& detail = QString());
