// The Debian package as `make package` builds it: its files and their modes, its dependencies,
// programs that run from the unpacked package, their manual pages, AppStream data and lintian.
// Skips where the packaging tools are not installed.

#include "whole_files.h"

#include <QDir>
#include <QMap>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace
{

constexpr int TOOL_MS = 240000;
const QString BIN_DIR = u"usr/bin/"_s;
const QString DOC_DIR = u"usr/share/doc/" PACKAGE_NAME "/"_s;
const QString DESKTOP_ENTRY = u"usr/share/applications/converter-config.desktop"_s;
const QString APPSTREAM = u"usr/share/metainfo/" APP_ID ".metainfo.xml"_s;
const QStringList PROGRAMS = u"" PACKAGE_PROGRAMS ""_s.split(u',', Qt::SkipEmptyParts);

struct Run {
    int exit_code = -1; // also when it did not end in time, or crashed
    QString output;     // standard output and error together
};

// Runs a program to its end; without a display when `bare`.
Run run(const QString &program, const QStringList &arguments, bool bare = false)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        if (bare)
            environment.remove(QString::fromLatin1(name));
    QProcess process;
    process.setProcessEnvironment(environment);
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    const bool ended = process.waitForFinished(TOOL_MS);
    return {ended && process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromUtf8(process.readAll())};
}

} // namespace

class TestPackage : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_deb;
    QString m_root;                   // the package unpacked
    QMap<QString, QString> m_entries; // path without "./" -> mode and owner

    QString control_field(const QString &field)
    {
        return run(u"dpkg-deb"_s, {u"-f"_s, m_deb, field}).output.trimmed();
    }

private slots:
    void initTestCase()
    {
        for (const char *tool : {"dpkg-deb", "dpkg-shlibdeps", "file"})
            if (QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty())
                QSKIP(qPrintable(QString::fromLatin1(tool) +
                                 u" is not installed: run scripts/setup-deps.sh"_s));
        QVERIFY(m_dir.isValid());
        const Run cpack = run(QStringLiteral(CPACK_PROGRAM),
                              {u"--config"_s, u"" CPACK_CONFIG ""_s, u"-B"_s, m_dir.path()});
        QVERIFY2(cpack.exit_code == 0, qPrintable(cpack.output));
        const QStringList debs = QDir(m_dir.path()).entryList({u"*.deb"_s});
        QCOMPARE(debs.size(), 1);
        m_deb = QDir(m_dir.path()).filePath(debs.first());

        // "-rwxr-xr-x root/root 123 2026-12-07 12:00 ./usr/bin/converter-config"
        const Run listing = run(u"dpkg-deb"_s, {u"-c"_s, m_deb});
        QVERIFY2(listing.exit_code == 0, qPrintable(listing.output));
        for (const QString &line : listing.output.split(u'\n', Qt::SkipEmptyParts)) {
            const QStringList parts = line.simplified().split(u' ');
            QVERIFY2(parts.size() >= 6, qPrintable(line));
            const QString path = parts.at(5).mid(2).chopped(parts.at(5).endsWith(u'/') ? 1 : 0);
            if (!path.isEmpty())
                m_entries.insert(path, parts.at(0) + u' ' + parts.at(1));
        }
        m_root = QDir(m_dir.path()).filePath(u"root"_s);
        const Run unpack = run(u"dpkg-deb"_s, {u"-x"_s, m_deb, m_root});
        QVERIFY2(unpack.exit_code == 0, qPrintable(unpack.output));
    }

    // Every entry belongs to root with a plain mode, and these are among them.
    void files_in_the_package()
    {
        for (auto entry = m_entries.cbegin(); entry != m_entries.cend(); ++entry) {
            const QString mode = entry->startsWith(u'd')           ? u"drwxr-xr-x"_s
                                 : entry.key().startsWith(BIN_DIR) ? u"-rwxr-xr-x"_s
                                                                   : u"-rw-r--r--"_s;
            QVERIFY2(*entry == mode + u" root/root"_s, qPrintable(entry.key() + u' ' + *entry));
        }
        // Each file with the lines it must hold: a double click on a .olc file opens it in the
        // window.
        QMap<QString, QStringList> expected{
            {DESKTOP_ENTRY, {u"Exec=converter-config %f"_s, u"MimeType=" MEDIA_TYPE ";"_s}},
            {APPSTREAM, {u"<mediatype>" MEDIA_TYPE "</mediatype>"_s}},
            {u"usr/share/mime/packages/converter-config.xml"_s,
             {u"<mime-type type=\"" MEDIA_TYPE "\">"_s,
              u"<comment>Data converter configuration</comment>"_s,
              u"<icon name=\"converter-config\"/>"_s, u"<glob pattern=\"*.olc\"/>"_s}},
            {u"usr/share/icons/hicolor/scalable/apps/converter-config.svg"_s, {}},
            {DOC_DIR + u"copyright"_s, {}},
            {DOC_DIR + u"changelog.Debian.gz"_s, {}},
            {DOC_DIR + u"99-converter-usb-serial.rules"_s, {}}};
        for (const QString &program : PROGRAMS)
            expected.insert(BIN_DIR + program, {});
        for (auto file = expected.cbegin(); file != expected.cend(); ++file) {
            QVERIFY2(m_entries.contains(file.key()), qPrintable(file.key()));
            if (file->isEmpty())
                continue;
            QStringList held;
            for (const QByteArray &line : file_bytes(QDir(m_root).filePath(file.key())).split('\n'))
                held << QString::fromUtf8(line.trimmed());
            for (const QString &line : *file)
                QVERIFY2(held.contains(line), qPrintable(file.key() + u": "_s + line));
        }
    }

    void control_fields()
    {
        QCOMPARE(control_field(u"Package"_s), u"" PACKAGE_NAME ""_s);
        QCOMPARE(control_field(u"Version"_s), u"" PACKAGE_VERSION ""_s);
        QCOMPARE(control_field(u"Architecture"_s),
                 run(u"dpkg"_s, {u"--print-architecture"_s}).output.trimmed());
        // From the shared libraries the programs link, and what no library names.
        QStringList depends; // their names, without the versions
        for (const QString &dependency : control_field(u"Depends"_s).split(u", "_s))
            depends << dependency.section(u' ', 0, 0);
        for (const char *package : {"libc6", "libqt6core6", "libqt6gui6", "libqt6widgets6",
                                    "libqt6serialport6", PACKAGE_EXTRA_DEPENDS})
            QVERIFY2(depends.contains(QString::fromLatin1(package)),
                     qPrintable(QString::fromLatin1(package) + u" not in "_s + depends.join(u',')));
    }

    // Each program answers --version and --help from the unpacked package without a display,
    // and its manual page is made from them.
    void programs_from_the_package_data()
    {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QStringList>("sections"); // beyond those help2man makes from --help
        const QMap<QString, QStringList> sections{
            {u"converter-config"_s, {u"\"COM PORTS\""_s, u"EXAMPLES"_s, u"\"EXIT STATUS\""_s}},
            {u"converter-cli"_s,
             {u"PORTS"_s, u"EXAMPLES"_s, u"\"EXIT STATUS\""_s, u"JSON"_s, u"LOG"_s}}};
        for (const QString &program : PROGRAMS)
            QTest::newRow(qPrintable(program)) << program << sections.value(program);
    }
    void programs_from_the_package()
    {
        QFETCH(QString, program);
        for (const QString &option : {u"--version"_s, u"--help"_s}) {
            const Run answer = run(QDir(m_root).filePath(BIN_DIR + program), {option}, true);
            QCOMPARE(answer.exit_code, 0);
            QVERIFY2(answer.output.startsWith(option == u"--help"_s
                                                  ? u"Usage: "_s
                                                  : program + u" " CONVERTER_VERSION ""_s),
                     qPrintable(answer.output));
        }
#ifdef MANUAL_PAGES_BUILT
        const Run page =
            run(u"gzip"_s, {u"-dc"_s, m_root + u"/usr/share/man/man1/"_s + program + u".1.gz"_s});
        QCOMPARE(page.exit_code, 0);
        QVERIFY2(page.output.contains(u".SH NAME\n"_s + program), qPrintable(page.output));
        QVERIFY(page.output.contains(u"\\-\\-help"_s));
        QVERIFY(page.output.contains(u"" CONVERTER_VERSION ""_s));
        QFETCH(QStringList, sections);
        for (const QString &section : sections)
            QVERIFY2(page.output.contains(u".SH %1\n"_s.arg(section)), qPrintable(section));
#else
        QSKIP("help2man was not installed when the build was configured: no manual pages");
#endif
    }

    void checkers_accept_the_package_data()
    {
        QTest::addColumn<QStringList>("command"); // the tool, then its arguments
        QTest::newRow("AppStream") << QStringList{u"appstreamcli"_s, u"validate"_s, u"--no-net"_s,
                                                  m_root + u'/' + APPSTREAM};
        QTest::newRow("desktop entry")
            << QStringList{u"desktop-file-validate"_s, m_root + u'/' + DESKTOP_ENTRY};
        // Errors fail; warnings are allowed and show in the test's log.
        QTest::newRow("lintian") << QStringList{u"lintian"_s, u"--fail-on"_s, u"error"_s, m_deb};
    }
    void checkers_accept_the_package()
    {
        QFETCH(QStringList, command);
        const QString tool = command.takeFirst();
        if (QStandardPaths::findExecutable(tool).isEmpty())
            QSKIP(qPrintable(tool + u" is not installed"_s));
        const Run check = run(tool, command);
        QVERIFY2(check.exit_code == 0, qPrintable(check.output));
        if (!check.output.trimmed().isEmpty())
            qInfo().noquote() << check.output.trimmed();
    }
};

QTEST_GUILESS_MAIN(TestPackage)
#include "tst_package.moc"
