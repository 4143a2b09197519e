#pragma once
// The panel notation (panel_notation.h) on the real window.

#include "form1.h"
#include "panel_notation.h"

// Each token through the window's own lists and toggles, as a person would, touching only what
// the token changes from the last one asked of that control: a choice the check refused stays
// refused.
void edit(Form1 &form, const QString &notation);
// What the window shows of some sides is sides_of(form.panel(), names).
