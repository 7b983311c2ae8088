#pragma once
// What a loadable screen module exports. A module is a shared library
// lib<CODE>.so (CODE the screen code in upper case, e.g. libPED00100.so) in
// the modules folder; LoadBPL loads it once and calls its IniProc on every
// opening, with the arguments the caller gave:
//
//   #include "moduleapi.h"
//   PED_MODULE_EXPORT void IniProc(const QVariantList& args) { CriaLanctoPedido(); }
//
// The module links pedhost, so it shares the process's Host and working
// context. An argument passed by reference travels as a pointer in the
// QVariant (QVariant::fromValue(&flag), read back with value<bool*>()).

#include <QVariantList>
#include <QtGlobal>

#define PED_MODULE_EXPORT extern "C" Q_DECL_EXPORT

using IniProcFunction = void (*)(const QVariantList& args);
inline constexpr const char* IniProcSymbol = "IniProc";
