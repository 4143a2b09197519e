#include "window_program.h"

#include "window_commands.h"
#include "window_options.h"

WindowProgram::WindowProgram(Prompts &prompts, const WindowOptions &options)
    : m_form(prompts), m_device(m_form), m_files(m_form), m_file_name(options.file_name())
{
    connect_window_commands(m_form, m_device, m_files);
    if (options.port())
        m_device.set_port(*options.port());
    // The options allow only waits the session takes.
    m_device.session().set_reply_wait(options.reply_wait());
}

void WindowProgram::start()
{
    m_form.show();
    if (!m_file_name.isEmpty())
        m_files.open_file(m_file_name);
}
