// The Debian package as `make package` builds it: its files and their modes, its dependencies,
// a manual page for every program, programs that run from the unpacked package, AppStream data
// and lintian. Skips where the packaging tools are not installed.

#include <QDir>
#include <QFile>
#include <QMap>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

namespace
{

constexpr int CPACK_MS = 240000;
constexpr int CHECKER_MS = 240000;
constexpr int TOOL_MS = 60000;

const QString EXECUTABLE_MODE = QStringLiteral("-rwxr-xr-x");
const QString FILE_MODE = QStringLiteral("-rw-r--r--");
const QString FOLDER_MODE = QStringLiteral("drwxr-xr-x");
const QString ROOT_OWNER = QStringLiteral("root/root");
const QString BIN_DIR = QStringLiteral("usr/bin/");
const QString DOC_DIR = QStringLiteral("usr/share/doc/" PACKAGE_NAME "/");
const QString MAN_DIR = QStringLiteral("usr/share/man/man1/");

struct Run {
    bool finished = false;
    int exit_code = -1;
    QString output; // standard output and error together
};

Run run(const QString &program, const QStringList &arguments, int timeout_ms = TOOL_MS,
        const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment())
{
    QProcess process;
    process.setProcessEnvironment(environment);
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    Run result;
    result.finished = process.waitForFinished(timeout_ms);
    result.exit_code = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.output = QString::fromUtf8(process.readAll());
    return result;
}

QStringList programs()
{
    return QStringLiteral(PACKAGE_PROGRAMS).split(u',', Qt::SkipEmptyParts);
}

struct Entry {
    QString mode;
    QString owner;
};

} // namespace

class TestPackage : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_deb;
    QString m_root;                 // the package unpacked
    QMap<QString, Entry> m_entries; // path without "./" -> mode and owner

    QString control_field(const QString &field)
    {
        const Run fields = run(QStringLiteral("dpkg-deb"), {QStringLiteral("-f"), m_deb, field});
        return fields.output.trimmed();
    }

private slots:
    void initTestCase()
    {
        QStringList missing;
        for (const char *tool : {"dpkg-deb", "dpkg-shlibdeps", "file"}) {
            if (QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty())
                missing.append(QString::fromLatin1(tool));
        }
        if (!missing.isEmpty())
            QSKIP(qPrintable(QStringLiteral("packaging tools not installed (%1): run "
                                            "scripts/setup-deps.sh")
                                 .arg(missing.join(u' '))));
        QVERIFY(m_dir.isValid());

        const Run cpack = run(QStringLiteral(CPACK_PROGRAM),
                              {QStringLiteral("--config"), QStringLiteral(CPACK_CONFIG),
                               QStringLiteral("-B"), m_dir.path()},
                              CPACK_MS);
        QVERIFY2(cpack.finished && cpack.exit_code == 0, qPrintable(cpack.output));
        const QStringList debs = QDir(m_dir.path()).entryList({QStringLiteral("*.deb")});
        QCOMPARE(debs.size(), 1);
        m_deb = QDir(m_dir.path()).filePath(debs.first());

        // "-rwxr-xr-x root/root 123 2026-12-07 12:00 ./usr/bin/converter-config"
        const Run listing = run(QStringLiteral("dpkg-deb"), {QStringLiteral("-c"), m_deb});
        QVERIFY2(listing.exit_code == 0, qPrintable(listing.output));
        for (const QString &line : listing.output.split(u'\n', Qt::SkipEmptyParts)) {
            const QStringList parts = line.simplified().split(u' ');
            QVERIFY2(parts.size() >= 6, qPrintable(line));
            QString path = parts.at(5);
            path.remove(0, 2); // "./"
            if (path.endsWith(u'/'))
                path.chop(1);
            if (!path.isEmpty())
                m_entries.insert(path, {parts.at(0), parts.at(1)});
        }

        m_root = QDir(m_dir.path()).filePath(QStringLiteral("root"));
        const Run unpack = run(QStringLiteral("dpkg-deb"), {QStringLiteral("-x"), m_deb, m_root});
        QVERIFY2(unpack.exit_code == 0, qPrintable(unpack.output));
    }

    void files_in_the_package_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QStringList>("lines"); // lines the file must hold
        const auto row = [](const char *name, const QString &path, const QStringList &lines = {}) {
            QTest::newRow(name) << path << lines;
        };
        for (const QString &program : programs())
            row(qPrintable(program), BIN_DIR + program);
        // A double click on a .olc file opens it in the window.
        row("desktop entry", QStringLiteral("usr/share/applications/converter-config.desktop"),
            {QStringLiteral("Exec=converter-config %f"),
             QStringLiteral("MimeType=" MEDIA_TYPE ";")});
        row("file type", QStringLiteral("usr/share/mime/packages/converter-config.xml"),
            {QStringLiteral("<mime-type type=\"" MEDIA_TYPE "\">"),
             QStringLiteral("<comment>Data converter configuration</comment>"),
             QStringLiteral("<icon name=\"converter-config\"/>"),
             QStringLiteral("<glob pattern=\"*.olc\"/>")});
        row("icon", QStringLiteral("usr/share/icons/hicolor/scalable/apps/converter-config.svg"));
        row("AppStream", QStringLiteral("usr/share/metainfo/" APP_ID ".metainfo.xml"),
            {QStringLiteral("<mediatype>" MEDIA_TYPE "</mediatype>")});
        row("copyright", DOC_DIR + QStringLiteral("copyright"));
        row("changelog", DOC_DIR + QStringLiteral("changelog.Debian.gz"));
        row("udev rule", DOC_DIR + QStringLiteral("99-converter-usb-serial.rules"));
    }
    void files_in_the_package()
    {
        QFETCH(QString, path);
        QFETCH(QStringList, lines);
        QVERIFY2(m_entries.contains(path), qPrintable(m_entries.keys().join(u'\n')));
        if (lines.isEmpty())
            return;
        QFile file(QDir(m_root).filePath(path));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QStringList held;
        for (const QByteArray &line : file.readAll().split('\n'))
            held << QString::fromUtf8(line.trimmed());
        for (const QString &line : lines)
            QVERIFY2(held.contains(line), qPrintable(path + QStringLiteral(": ") + line));
    }

    void every_entry_belongs_to_root_with_plain_modes()
    {
        for (auto entry = m_entries.cbegin(); entry != m_entries.cend(); ++entry) {
            QString expected = FILE_MODE;
            if (entry->mode.startsWith(u'd'))
                expected = FOLDER_MODE;
            else if (entry.key().startsWith(BIN_DIR))
                expected = EXECUTABLE_MODE;
            const QString seen = entry->mode + u' ' + entry->owner;
            QVERIFY2(seen == expected + u' ' + ROOT_OWNER, qPrintable(entry.key() + u' ' + seen));
        }
    }

    void control_fields()
    {
        const Run architecture =
            run(QStringLiteral("dpkg"), {QStringLiteral("--print-architecture")});
        QCOMPARE(control_field(QStringLiteral("Package")), QStringLiteral(PACKAGE_NAME));
        QCOMPARE(control_field(QStringLiteral("Version")), QStringLiteral(PACKAGE_VERSION));
        QCOMPARE(control_field(QStringLiteral("Architecture")), architecture.output.trimmed());
        // From the shared libraries the programs link, and what no library names.
        const QStringList depends =
            control_field(QStringLiteral("Depends")).split(QStringLiteral(", "));
        for (const char *package : {"libc6", "libqt6core6", "libqt6gui6", "libqt6widgets6",
                                    "libqt6serialport6", PACKAGE_EXTRA_DEPENDS}) {
            const QString name = QString::fromLatin1(package);
            const bool found = std::any_of(depends.cbegin(), depends.cend(), [&](const QString &d) {
                return d == name || d.startsWith(name + u' ');
            });
            QVERIFY2(found, qPrintable(name + QStringLiteral(" not in ") + depends.join(u',')));
        }
    }

    void manual_pages_data()
    {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QStringList>("sections"); // beyond those help2man makes from --help
        for (const QString &program : programs())
            QTest::newRow(qPrintable(program))
                << program
                << (program == QStringLiteral("converter-config")
                        ? QStringList{QStringLiteral("\"COM PORTS\""), QStringLiteral("EXAMPLES"),
                                      QStringLiteral("\"EXIT STATUS\"")}
                        : QStringList());
    }
    void manual_pages()
    {
#ifndef MANUAL_PAGES_BUILT
        QSKIP("help2man was not installed when the build was configured: no manual pages");
#endif
        QFETCH(QString, program);
        const QString page = MAN_DIR + program + QStringLiteral(".1.gz");
        QVERIFY2(m_entries.contains(page), qPrintable(page));
        QCOMPARE(m_entries.value(page).mode, FILE_MODE);
        const Run text =
            run(QStringLiteral("gzip"), {QStringLiteral("-dc"), QDir(m_root).filePath(page)});
        QCOMPARE(text.exit_code, 0);
        // Made from the program's own --help and --version.
        QVERIFY2(text.output.contains(QStringLiteral(".SH NAME\n") + program),
                 qPrintable(text.output));
        QVERIFY(text.output.contains(QStringLiteral("\\-\\-help")));
        QVERIFY(text.output.contains(QStringLiteral(CONVERTER_VERSION)));
        QFETCH(QStringList, sections);
        for (const QString &section : sections)
            QVERIFY2(text.output.contains(QStringLiteral(".SH %1\n").arg(section)),
                     qPrintable(section));
    }

    void unpacked_programs_run_without_a_display_data()
    {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QString>("option");
        QTest::addColumn<QString>("output_start");
        for (const QString &program : programs()) {
            QTest::addRow("%s --version", qPrintable(program))
                << program << "--version" << program + QStringLiteral(" " CONVERTER_VERSION);
            QTest::addRow("%s --help", qPrintable(program))
                << program << "--help" << QStringLiteral("Usage: ");
        }
    }
    void unpacked_programs_run_without_a_display()
    {
        QFETCH(QString, program);
        QFETCH(QString, option);
        QFETCH(QString, output_start);
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            environment.remove(QString::fromLatin1(name));
        const Run answer =
            run(QDir(m_root).filePath(BIN_DIR + program), {option}, TOOL_MS, environment);
        QVERIFY(answer.finished);
        QCOMPARE(answer.exit_code, 0);
        QVERIFY2(answer.output.startsWith(output_start), qPrintable(answer.output));
    }

    // The package file itself is "{deb}"; other paths are inside the unpacked package.
    void checkers_accept_the_package_data()
    {
        QTest::addColumn<QString>("tool");
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("AppStream")
            << "appstreamcli"
            << QStringList{QStringLiteral("validate"), QStringLiteral("--no-net"),
                           QStringLiteral("usr/share/metainfo/" APP_ID ".metainfo.xml")};
        QTest::newRow("desktop entry")
            << "desktop-file-validate"
            << QStringList{QStringLiteral("usr/share/applications/converter-config.desktop")};
        // Errors fail; warnings are allowed and show in the test's log.
        QTest::newRow("lintian") << "lintian"
                                 << QStringList{QStringLiteral("--fail-on"),
                                                QStringLiteral("error"), QStringLiteral("{deb}")};
    }
    void checkers_accept_the_package()
    {
        QFETCH(QString, tool);
        QFETCH(QStringList, arguments);
        if (QStandardPaths::findExecutable(tool).isEmpty())
            QSKIP(qPrintable(tool + QStringLiteral(" is not installed")));
        QString &target = arguments.last();
        target = target == QStringLiteral("{deb}") ? m_deb : QDir(m_root).filePath(target);
        const Run check = run(tool, arguments, CHECKER_MS);
        QVERIFY2(check.finished && check.exit_code == 0, qPrintable(check.output));
        if (!check.output.trimmed().isEmpty())
            qInfo().noquote() << check.output.trimmed();
    }
};

QTEST_GUILESS_MAIN(TestPackage)
#include "tst_package.moc"
