#pragma once
// Wires the window's four buttons and its menu to the device and file commands, so that a click
// is ignored while the other kind of command holds the window (a run, or an open waiting for a
// slow file).

class DeviceCommands;
class FileCommands;
class Form1;

void connect_window_commands(Form1 &form, DeviceCommands &device, FileCommands &files);
