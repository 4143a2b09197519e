#include "input_reader.h"

#include "file_texts.h"

#include <cerrno>
#include <unistd.h>

namespace
{
constexpr qsizetype READ_CHUNK = 64 * 1024;
} // namespace

InputReader::InputReader(int descriptor, QObject *parent)
    : QObject(parent), m_descriptor(descriptor), m_notifier(descriptor, QSocketNotifier::Read)
{
    connect(&m_notifier, &QSocketNotifier::activated, this, &InputReader::read_some);
}

// One read per notification: the descriptor said it has something, so the read does not wait.
void InputReader::read_some()
{
    const qsizetype at = m_bytes.size();
    m_bytes.resize(at + READ_CHUNK);
    const ssize_t got = ::read(m_descriptor, m_bytes.data() + at, READ_CHUNK);
    m_bytes.truncate(at + std::max<ssize_t>(got, 0));
    if (got < 0 && (errno == EINTR || errno == EAGAIN))
        return;
    if (got < 0)
        end(LoadStatus::ReadError);
    else if (m_bytes.size() > files::MAX_RECORD_FILE_BYTES)
        end(LoadStatus::TooLarge);
    else if (got == 0)
        end(LoadStatus::Ok);
}

void InputReader::end(LoadStatus status)
{
    m_notifier.setEnabled(false);
    LoadedFile input;
    input.status = status;
    if (status != LoadStatus::ReadError)
        input.bytes = m_bytes.first(std::min(m_bytes.size(), files::MAX_RECORD_FILE_BYTES));
    emit finished(input);
}
