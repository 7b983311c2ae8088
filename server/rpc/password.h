#pragma once
// Password storage: only salted PBKDF2-HMAC-SHA256 hashes are kept.
// Stored form: "pbkdf2-sha256$<iterations>$<salt base64>$<hash base64>".

#include <QString>

QString hashPassword(const QString& plain, int iterations = 120000);
bool verifyPassword(const QString& plain, const QString& stored);   // constant-time compare
