#pragma once
// The shell's own icon (windows, child windows), drawn so it needs no file.

#include <QIcon>

QIcon shellIcon();
