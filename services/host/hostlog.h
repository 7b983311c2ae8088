#pragma once
// Logging category of the host services ("ped.host").

#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcHost)
