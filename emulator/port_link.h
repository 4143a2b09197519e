#pragma once
// A symbolic link (such as /dev/COM1) that points at the line being served.

#include <QString>

namespace emulator
{

// Replaces only a link that is ours or that points nowhere; anything else at that path is left
// alone and reported. The link is removed again on destruction, if it is still ours.
class PortLink
{
public:
    PortLink() = default;
    ~PortLink();
    PortLink(const PortLink &) = delete;
    PortLink &operator=(const PortLink &) = delete;

    bool create(const QString &link_path, const QString &target);
    void remove();

    bool is_active() const { return !m_target.isEmpty(); }
    QString path() const { return m_path; }
    QString error_string() const { return m_error; }

private:
    QString m_path;
    QString m_target;
    QString m_error;
};

} // namespace emulator
