#pragma once
// Keys of a screen go to its FormKeyDown first. Enter and Esc never reach
// QDialog, which would take them to accept or reject the screen: a screen
// closes only through its own buttons, which respect their state.

#include <functional>

class QKeyEvent;

// True when the key was dealt with here; otherwise the caller passes it on
// to QDialog.
bool routeFormKey(QKeyEvent* event, const std::function<void(QKeyEvent*)>& formKeyDown);
