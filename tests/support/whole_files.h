#pragma once
// Whole files in and out, for tests that leave a file where a program will look for one.

#include <QByteArray>
#include <QFile>
#include <QString>

// What the file holds; nothing when it cannot be read.
inline QByteArray file_bytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Whether the file now holds exactly `bytes`, whatever it held before.
inline bool put_file(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(bytes) == bytes.size();
}
