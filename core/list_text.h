#pragma once
// List text: the codes picked in a multi-choice look-up, every code in
// single quotes with a quote inside a code doubled, codes joined by "_"
// ('0001'_'0002'_'D''AVILA'); no code is an empty text. The look-up writes
// it and the server's order query reads it, binding each code as a value.

#include <QString>
#include <QStringList>
#include <stdexcept>

class ListTextError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The list text of some codes, and back. listTextCodes throws ListTextError
// naming the position of the first fault.
QString listText(const QStringList& codes);
QStringList listTextCodes(const QString& list);
