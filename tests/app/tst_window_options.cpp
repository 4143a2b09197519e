// The window program's command line: --help and --version from the real program on a machine
// without a display, and the options the window reads once the window system has taken its own.

#include "window_options.h"

#include <QProcess>
#include <QTest>

namespace
{
constexpr int FINISH_MS = 30000;
}

class TestCommandLine : public QObject
{
    Q_OBJECT

private slots:
    void answers_without_a_display_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("output_start");
        QTest::addColumn<QString>("output_contains");
        const QString usage = QStringLiteral("Usage: ");
        const QString version_line = QStringLiteral("converter-config " CONVERTER_VERSION "\n");
        QTest::newRow("--help") << QStringList{QStringLiteral("--help")} << usage
                                << QStringLiteral("--version");
        // The window system's options are left for later; --help still answers at once.
        QTest::newRow("-platform xcb --help")
            << QStringList{QStringLiteral("-platform"), QStringLiteral("xcb"),
                           QStringLiteral("--help")}
            << usage << QStringLiteral("--help");
        QTest::newRow("--version")
            << QStringList{QStringLiteral("--version")} << version_line << version_line;
    }
    void answers_without_a_display()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, output_start);
        QFETCH(QString, output_contains);
        // No display and no platform chosen: a window system would abort the program.
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            environment.remove(QString::fromLatin1(name));
        QProcess program;
        program.setProcessEnvironment(environment);
        program.start(QStringLiteral(WINDOW_PROGRAM), arguments);
        QVERIFY(program.waitForFinished(FINISH_MS));
        const QString output = QString::fromUtf8(program.readAllStandardOutput());
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.exitCode(), 0);
        QVERIFY2(output.startsWith(output_start), qPrintable(output));
        QVERIFY2(output.contains(output_contains), qPrintable(output));
        QVERIFY(program.readAllStandardError().isEmpty());
    }

    void options_for_the_window_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<QString>("error");
        QTest::newRow("none") << QStringList{} << true << QString();
        QTest::newRow("unknown option") << QStringList{QStringLiteral("--bogus")} << false
                                        << QStringLiteral("Unknown option 'bogus'.");
        QTest::newRow("a word") << QStringList{QStringLiteral("north.olc")} << false
                                << QStringLiteral("converter-config takes no arguments: north.olc");
    }
    void options_for_the_window()
    {
        QFETCH(QStringList, arguments);
        QFETCH(bool, accepted);
        QCoreApplication::setApplicationName(QStringLiteral("converter-config"));
        WindowOptions line;
        QCOMPARE(line.read(QStringList{QStringLiteral("converter-config")} + arguments), accepted);
        QTEST(line.error_text(), "error");
    }
};

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_window_options.moc"
