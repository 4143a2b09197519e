#pragma once
// One notation for panels, records and module images in tests. Tokens are space separated and
// taken in order:
//   IN3=B5      IN-3 on module B, channel 5, DATA-A     OUT7=B5.B  OUT-7 on B/5, DATA-B
//   IN3=N/A     IN-3 switched off                        OUT3=--    OUT-3 with nothing selected
//   IN4=C-      module C, no channel                     OUT4=-5    channel 5, no module
//   IN1=#200    a point code as it stands (records and images)
//   L=5,252,0,0 the four loop bytes as they stand (records and images; else from the .B marks)

#include "module_image.h"
#include "panel.h"
#include "record_fields.h"

#include <QList>
#include <QString>

// The window as it starts, then each token selected as a person would (reactions included).
Panel panel_of(const QString &notation);
// The sides named in `names` ("IN2 OUT7", or a notation whose values are ignored) as `panel`
// shows them, in the same notation.
QString sides_of(const Panel &panel, const QString &names);
// A record of model MODEL_ID named "PANEL", every side not assigned with the placeholder
// designation, then the tokens.
ConfigRecord record_of(const QString &notation);
// A module holding 160 in every point code and 0 in every loop byte, then the tokens.
ModuleImage image_of(const QString &notation);
// The same image as its bytes, address 0 first.
QList<int> bytes_of(const QString &notation);
