// Saving a configuration file: a failure never costs the old file, and a save keeps its mode
// and owner. Each save runs in a child process, which alone gets the limits of the row.

#include "config_record.h"
#include "file_texts.h"
#include "panel_notation.h"
#include "record_file.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace
{
constexpr uid_t NOBODY = 65534;

QByteArray contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

struct stat status_of(const QString &path)
{
    struct stat info = {};
    ::stat(QFile::encodeName(path).constData(), &info);
    return info;
}
} // namespace

class TestRecordFile : public QObject
{
    Q_OBJECT

private slots:
    void save_keeps_the_old_file_data();
    void save_keeps_the_old_file();

private:
    QTemporaryDir m_dir;
};

void TestRecordFile::save_keeps_the_old_file_data()
{
    QTest::addColumn<uint>("mode");        // of the old file
    QTest::addColumn<bool>("nobody_owns"); // else the test's own user
    QTest::addColumn<QString>("limits");   // as the child takes them
    QTest::addColumn<int>("padding");      // bytes added to the old file
    QTest::addColumn<bool>("saved");       // for a user other than root
    QTest::addColumn<QString>("reason");   // a piece of the reason given
    // Root may write over a read-only file; anyone else is refused.
    QTest::newRow("read-only") << 0444u << false << QString() << 0 << false << QString();
    QTest::newRow("group-readable") << 0640u << false << QString() << 0 << true << QString();
    QTest::newRow("another owner's") << 0640u << true << QString() << 0 << true << QString();
    // The old file is writable by anyone, so only the folder or the size limit can stop the
    // save; the new record is over a kilobyte, the old one under 512 bytes.
    QTest::newRow("file size limit") << 0666u << false << u"512"_s << 0 << false << QString();
    QTest::newRow("folder not writable: in place")
        << 0666u << false << u"nobody"_s << 0 << true << QString();
    QTest::newRow("in place, past the size limit: put back")
        << 0666u << false << u"nobody,512"_s << 0 << false << QString();
    QTest::newRow("in place, no room for a copy")
        << 0666u << false << u"nobody,512"_s << 600 << false
        << files::SAVE_NO_COPY.section(u'\n', 0, 0);
}

void TestRecordFile::save_keeps_the_old_file()
{
    QFETCH(uint, mode);
    QFETCH(bool, nobody_owns);
    QFETCH(QString, limits);
    QFETCH(int, padding);
    QFETCH(bool, saved);
    QFETCH(QString, reason);
    const bool root = ::geteuid() == 0;
    if (nobody_owns && !root)
        QSKIP("only root can save over another user's file");
    saved = saved || (root && limits.isEmpty());
    const QString folder = m_dir.filePath(QString::fromLatin1(QTest::currentDataTag()));
    const QString data =
        m_dir.filePath(u"data of "_s + QString::fromLatin1(QTest::currentDataTag()));
    QVERIFY(QDir().mkpath(folder) && QDir().mkpath(data));
    const QString file = QDir(folder).filePath(u"old.olc"_s);
    const QByteArray old =
        write_config_record(record_of(QString())).bytes + QByteArray(padding, ' ');
    {
        QFile out(file);
        QVERIFY(out.open(QIODevice::WriteOnly) && out.write(old) == old.size());
    }
    const QByteArray name = QFile::encodeName(file);
    QCOMPARE(chmod(name.constData(), mode), 0);
    if (nobody_owns)
        QCOMPARE(chown(name.constData(), NOBODY, NOBODY), 0);
    const struct stat before = status_of(file);
    // nobody must reach the folder but not write in it, and may keep copies in its data folder.
    const QByteArray folder_name = QFile::encodeName(folder);
    QCOMPARE(chmod(QFile::encodeName(m_dir.path()).constData(), 0755), 0);
    QCOMPARE(chmod(QFile::encodeName(data).constData(), 0777), 0);
    if (limits.contains(u"nobody"_s))
        QCOMPARE(chmod(folder_name.constData(), 0555), 0);

    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(u"XDG_DATA_HOME"_s, data);
    environment.insert(u"TMPDIR"_s, data); // where a copy goes when the data folder fails
    child.setProcessEnvironment(environment);
    child.start(QStringLiteral(SAVE_CHILD), {file, limits});
    QVERIFY(child.waitForFinished());
    chmod(folder_name.constData(), 0755);
    QCOMPARE(child.exitCode(), 0);
    const QStringList output = QString::fromLocal8Bit(child.readAllStandardOutput()).split(u'\n');
    QCOMPARE(output.value(0).toInt(), int(saved ? SaveStatus::Ok : SaveStatus::NotWritten));
    QVERIFY2(output.value(1).contains(reason), qPrintable(output.value(1)));
    QCOMPARE(contents(file) == old, !saved);
    const struct stat after = status_of(file);
    QCOMPARE(after.st_mode & 07777, mode);
    QCOMPARE(after.st_uid, before.st_uid);
    QCOMPARE(after.st_gid, before.st_gid);
    // No temporary file beside it, and no copy left once the old content is safe.
    QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList{u"old.olc"_s});
    QDirIterator copies(data, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    QVERIFY2(!copies.hasNext(), qPrintable(copies.hasNext() ? copies.next() : QString()));
}

QTEST_APPLESS_MAIN(TestRecordFile)
#include "tst_record_file.moc"
