#pragma once
// The names of the keys as menus, hints and help pages show them
// (QKeySequence::NativeText): the names on a Brazilian keyboard, so that a
// shortcut reads "Ctrl+Shift+Tab" rather than "Ctrl+Shift+Backtab" and
// "Insert" rather than "Ins". Installed once by the shell after the
// application object exists; it answers before Qt's own translations and
// leaves every other text to them.

void instalaNomesDasTeclas();
