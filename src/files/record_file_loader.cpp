#include "record_file_loader.h"

#include "file_texts.h"

#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>
#include <utility>

// What the loading thread and the loader share; the thread may outlive the loader.
struct RecordFileLoader::Shared {
    std::mutex mutex;
    std::condition_variable done;
    std::optional<LoadedFile> result;
    // Told when the result comes, while the loader waits for it; cleared under the mutex
    // before the loader goes away or stops waiting.
    RecordFileLoader *receiver = nullptr;
};

RecordFileLoader::RecordFileLoader(QObject *parent) : QObject(parent), m_load(load_record_file)
{
    m_time_limit.setSingleShot(true);
    m_time_limit.setInterval(files::OPEN_TIME_LIMIT);
    connect(&m_time_limit, &QTimer::timeout, this, &RecordFileLoader::give_up);
}

RecordFileLoader::~RecordFileLoader()
{
    if (m_current) {
        const std::lock_guard lock(m_current->mutex);
        m_current->receiver = nullptr;
    }
}

std::optional<LoadedFile> RecordFileLoader::start(const QString &path)
{
    auto shared = std::make_shared<Shared>();
    try {
        std::thread([shared, load = m_load, path] {
            LoadedFile file = load(path);
            const std::lock_guard lock(shared->mutex);
            shared->result = std::move(file);
            shared->done.notify_all();
            if (shared->receiver)
                QMetaObject::invokeMethod(shared->receiver, &RecordFileLoader::deliver,
                                          Qt::QueuedConnection);
        }).detach();
    } catch (const std::system_error &) {
        return LoadedFile{LoadStatus::ReadError, FileKind::Regular, {}};
    }

    std::unique_lock lock(shared->mutex);
    if (shared->done.wait_for(lock, files::OPEN_QUICK_WAIT,
                              [&] { return shared->result.has_value(); }))
        return std::move(*shared->result);
    shared->receiver = this;
    m_current = std::move(shared);
    m_time_limit.start();
    return std::nullopt;
}

void RecordFileLoader::deliver()
{
    if (!m_current)
        return; // the time limit came first
    std::optional<LoadedFile> file;
    {
        const std::lock_guard lock(m_current->mutex);
        file = std::exchange(m_current->result, std::nullopt);
    }
    // A late call from a load given up earlier finds nothing here.
    if (file)
        end_with(*file);
}

void RecordFileLoader::give_up()
{
    if (!m_current)
        return;
    std::optional<LoadedFile> file;
    {
        const std::lock_guard lock(m_current->mutex);
        file = std::exchange(m_current->result, std::nullopt);
        m_current->receiver = nullptr;
    }
    end_with(file ? *file : LoadedFile{LoadStatus::TimedOut, FileKind::Regular, {}});
}

void RecordFileLoader::end_with(const LoadedFile &file)
{
    {
        const std::lock_guard lock(m_current->mutex);
        m_current->receiver = nullptr;
    }
    m_current.reset();
    m_time_limit.stop();
    // Not running any more by now, so whoever is told may start the next load.
    emit finished(file);
}
