#pragma once
// The window program as main() runs it: the window, its commands wired to its buttons, and what
// the command line asked of them. Tests build the same on the offscreen platform.

#include "device_commands.h"
#include "file_commands.h"
#include "form1.h"

class Prompts;
class WindowOptions;

class WindowProgram
{
public:
    // Takes the port and the reply wait from `options`; the file waits for start().
    WindowProgram(Prompts &prompts, const WindowOptions &options);

    // Shows the window, then opens the file the command line named, as OPEN CONFIGURATION FILE
    // opens the file chosen in its dialog.
    void start();

    Form1 &form() { return m_form; }
    DeviceCommands &device() { return m_device; }
    FileCommands &files() { return m_files; }

private:
    Form1 m_form;
    DeviceCommands m_device;
    FileCommands m_files;
    QString m_file_name;
};
