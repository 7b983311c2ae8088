#pragma once
// Brazilian tax numbers: the personal CPF (11 digits) and the company CNPJ
// (14 characters; since 2026 its first 12 may be letters), their check
// digits, their kinds and display masks.
//
// Person kinds, as IDTPIJURCLIE / IDTPIJURTRAN hold them: "F" person (CPF),
// "J" company (CNPJ), "O" other (a short number, up to 5 digits), "I" foreign
// or free form.

#include <QString>

// True for a number with correct check digits. Dots, dashes, slashes and
// blanks of a mask are ignored; any other character, a wrong length, or a
// number of one repeated digit is refused.
bool CPFOk(const QString& number);
bool CGCOk(const QString& number);

// Edit mask of a person kind, in the field edit-mask notation
// "<mask>;<keep literals>;<blank>" ('0' required digit, '9' optional digit).
// Literals are not stored: fields hold the bare digits. Kind "I" and any
// unknown kind give "" (free entry).
QString PictPess(const QString& kind);

// Normalises a typed tax number in place and returns its person kind:
// 11 digits -> "F"; a 14-character CNPJ shape -> "J"; up to 5 digits -> "O";
// (for these the mask punctuation is removed); anything else -> "I", kept as
// typed (trimmed). Blank gives "" and leaves the number blank.
QString Ajusta_Inscricao(QString& number);

// Lays `value` into the placeholders of an edit mask for display
// ("52998224725" with PictPess("F") -> "529.982.247-25"). A value that does
// not fill the mask exactly comes back unchanged.
QString FormatWithMask(const QString& value, const QString& mask);
// True for a character of an edit mask that takes one typed character.
bool isMaskPlaceholder(QChar c);
QString FormatInscricao(const QString& number, const QString& kind);
