#pragma once
// The program's own 40 by 40 icon, drawn in code so it needs no image plug-in.

#include <QIcon>

QIcon make_window_icon();
