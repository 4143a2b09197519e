#include "emulator_worker.h"

#include "emulator_logging.h"
#include "memory_image.h"

#include <QFile>
#include <QSaveFile>
#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace emulator
{

namespace
{

constexpr int EXIT_FAILED = 1;
const char SUDO_UID[] = "SUDO_UID";

// Making a link in /dev takes sudo, which leaves the pty to root; the configuration program
// runs as the user who called sudo, so that user gets it.
void hand_pty_to_sudo_user(const QString &path)
{
    bool ok = false;
    const uint uid = qEnvironmentVariable(SUDO_UID).toUInt(&ok);
    if (::geteuid() != 0 || !ok)
        return;
    if (::chown(QFile::encodeName(path).constData(), uid, static_cast<gid_t>(-1)) == 0)
        qCInfo(lcEmulator).noquote() << path << "handed to user" << uid;
    else
        qCWarning(lcEmulator).noquote()
            << "cannot hand" << path << "to user" << uid << ":" << std::strerror(errno);
}

} // namespace

EmulatorWorker::EmulatorWorker(const EmulatorOptions &options, QTextStream &out, QObject *parent)
    : QObject(parent), m_options(options), m_out(out)
{
    connect(&m_server, &ModuleServer::frame_logged, this,
            [](const QString &line) { qCInfo(lcFrames).noquote() << line; });
    connect(&m_server, &ModuleServer::line_dropped, this, [this] {
        qCInfo(lcEmulator) << "the line was dropped; stopping";
        stop(0);
    });
    connect(&m_server, &ModuleServer::error_occurred, this, [this](const QString &message) {
        qCCritical(lcEmulator).noquote() << message;
        stop(EXIT_FAILED);
    });
}

bool EmulatorWorker::start()
{
    if (!m_options.load_file.isEmpty() && !load_memory())
        return false;
    m_server.core().set_faults(m_options.faults);

    const bool opened =
        m_options.pty ? m_server.open_pty() : m_server.open_device(m_options.device);
    if (!opened) {
        m_error = m_server.error_string();
        return false;
    }
    if (m_options.pty)
        hand_pty_to_sudo_user(m_server.port_name());
    if (!m_options.link.isEmpty()) {
        // Linking is a convenience; serving goes on without it (e.g. no right to write /dev).
        if (m_link.create(m_options.link, m_server.port_name()))
            qCInfo(lcEmulator).noquote()
                << "linked" << m_options.link << "->" << m_server.port_name();
        else
            qCWarning(lcEmulator).noquote() << "no link:" << m_link.error_string();
    }
    qCInfo(lcEmulator).noquote() << "serving the module on" << m_server.port_name();
    // Last, and flushed by endl: whoever waits for this line finds the link already made.
    m_out << m_server.port_name() << Qt::endl;
    return true;
}

void EmulatorWorker::stop(int exit_code)
{
    if (m_stopped)
        return;
    m_stopped = true;
    m_server.close();
    m_link.remove();
    if (!m_options.dump_file.isEmpty() && !dump_memory()) {
        qCCritical(lcEmulator).noquote() << m_error;
        exit_code = EXIT_FAILED;
    }
    emit finished(exit_code);
}

bool EmulatorWorker::load_memory()
{
    QFile file(m_options.load_file);
    if (!file.open(QIODevice::ReadOnly)) {
        m_error = QStringLiteral("cannot read %1: %2").arg(file.fileName(), file.errorString());
        return false;
    }
    QString problem;
    const auto memory = parse_memory_image(file.readAll(), &problem);
    if (!memory) {
        m_error = QStringLiteral("%1: %2").arg(file.fileName(), problem);
        return false;
    }
    m_server.core().set_memory(*memory);
    return true;
}

bool EmulatorWorker::dump_memory()
{
    QSaveFile file(m_options.dump_file);
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(format_memory_image(m_server.core().memory())) < 0 || !file.commit()) {
        m_error = QStringLiteral("cannot write %1: %2").arg(file.fileName(), file.errorString());
        return false;
    }
    return true;
}

} // namespace emulator
