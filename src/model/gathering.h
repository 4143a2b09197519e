#pragma once
// The pure half of gathering: list positions in, point codes and the incomplete-slot result out.

#include "converter_config.h"
#include "point_code.h"
#include "slot_lists.h"

constexpr qint16 INCOMPLETE_INPUT = 1;
constexpr qint16 INCOMPLETE_OUTPUT = 2;

// What the commands that gather first (writing to a module, saving a file) report for each.
inline const QString INCOMPLETE_INPUT_TEXT =
    QStringLiteral("DATA MUST BE ENTERED (CLICKED) FOR ALL ACTIVE INPUTS BEFORE WRITING DATA");
inline const QString INCOMPLETE_OUTPUT_TEXT =
    QStringLiteral("DATA MUST BE ENTERED (CLICKED) FOR ALL ACTIVE OUTPUTS BEFORE WRITING DATA");

// Fills config.inw and config.outw from the selections, inputs first. On the first active side
// that lacks a module or channel it sets config.error_flag (1 for an input, 2 for an output) and
// stops, leaving the codes of the sides already passed updated and the later ones untouched.
// It never clears error_flag: the caller does that before the call.
void gather_point_codes(const ListPositions &positions, ConverterConfig &config);
