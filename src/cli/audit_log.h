#pragma once
// The bench's record of programmed modules: one JSON object a line, appended, each on the disk
// before the module's result is shown, so a crash or a pulled plug loses no module.

#include <QJsonObject>
#include <QString>

class AuditLog
{
public:
    AuditLog() = default;
    AuditLog(const AuditLog &) = delete;
    AuditLog &operator=(const AuditLog &) = delete;
    ~AuditLog();

    // Opens `path` for appending, creating it; a named pipe that no program reads is refused at
    // once rather than waited for. False with the reason in *error.
    bool open(const QString &path, QString *error);
    bool is_open() const { return m_fd >= 0; }
    // Writes the line whole, then forces it to the disk; false with the reason in *error.
    bool append(const QJsonObject &entry, QString *error);

private:
    int m_fd = -1;
};
