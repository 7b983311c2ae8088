#pragma once
// The message of the error of type E that an action throws, to compare whole
// or in part; "<no error>" when the action throws none.

#include <QString>
#include <functional>

template <typename E>
QString errorOf(const std::function<void()>& action)
{
    try {
        action();
    } catch (const E& error) {
        return QString::fromUtf8(error.what());
    }
    return QStringLiteral("<no error>");
}
