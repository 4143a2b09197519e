#pragma once
// Loads a record file on a thread of its own, so that a path whose look-up or read blocks (a
// file on a hung network mount) cannot freeze the thread that asked for it.

#include "record_file.h"

#include <QObject>
#include <QTimer>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>

class RecordFileLoader : public QObject
{
    Q_OBJECT

public:
    using LoadFunction = std::function<LoadedFile(const QString &path)>;

    explicit RecordFileLoader(QObject *parent = nullptr);
    ~RecordFileLoader() override;

    // Starts loading `path`; not while running(). A load that ends within OPEN_QUICK_WAIT is
    // returned at once. Otherwise finished() follows, when the load ends or, with TimedOut,
    // when the time limit runs out (the stuck thread is then left to itself).
    std::optional<LoadedFile> start(const QString &path);
    bool running() const { return m_current != nullptr; }

    // What a load does (load_record_file) and how long it may take (OPEN_TIME_LIMIT): tests
    // stand in for a disk that does not answer.
    void set_load_function(LoadFunction load) { m_load = std::move(load); }
    void set_time_limit(std::chrono::milliseconds limit) { m_time_limit.setInterval(limit); }
    std::chrono::milliseconds time_limit() const { return m_time_limit.intervalAsDuration(); }

signals:
    void finished(const LoadedFile &file);

private:
    struct Shared;
    void deliver();
    void give_up();
    void end_with(const LoadedFile &file);

    LoadFunction m_load;
    QTimer m_time_limit;
    std::shared_ptr<Shared> m_current; // the load being waited for
};
