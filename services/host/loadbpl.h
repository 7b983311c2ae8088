#pragma once
// LoadBPL opens another ERP screen by its code: first the Host may stand in
// for it (tests), then a screen registered in this process, then a module
// lib<CODE>.so from the modules folder (see moduleapi.h).

#include <QString>
#include <QVariantList>
#include <functional>

using ScreenOpener = std::function<void(const QVariantList& args)>;

// Registers a screen the process itself provides. A code registered twice
// throws std::logic_error.
void registerScreen(const QString& code, ScreenOpener opener);
void unregisterScreen(const QString& code);
bool isScreenRegistered(const QString& code);

// The modules folder: <folder of the executable>/modules unless set.
QString modulesDir();
void setModulesDir(const QString& folder);

// Opens the screen; returns false after telling the person when there is no
// such screen ("Tela XXX não encontrada.") or its module cannot be loaded.
// Failures of the screen itself travel on to the caller's guard.
bool LoadBPL(const QString& code, const QVariantList& args = {});
