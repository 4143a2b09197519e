// Renders the station's live board into board.png with Debian's headless Chromium: a station on
// six ports of emulated modules, run until every kind of tile shows (two modules passed on one
// port, a failure, a module back after a loose contact, a port another program holds, a missing
// adapter, and a module being programmed), so the page can be checked without a bench.

#include "board.h"
#include "module_server.h"
#include "panel_gathering.h"
#include "record_check.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QSerialPort>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTimer>
#include <functional>

namespace
{

const QString CHROMIUM = QStringLiteral("/usr/bin/chromium");
const QStringList CHROMIUM_FLAGS{QStringLiteral("--headless"),
                                 QStringLiteral("--no-sandbox"),
                                 QStringLiteral("--disable-gpu"),
                                 QStringLiteral("--disable-quic"),
                                 QStringLiteral("--no-first-run"),
                                 QStringLiteral("--disable-background-networking"),
                                 QStringLiteral("--disable-component-update"),
                                 QStringLiteral("--disable-sync"),
                                 QStringLiteral("--hide-scrollbars"),
                                 QStringLiteral("--window-size=1280,800"),
                                 QStringLiteral("--virtual-time-budget=1500")};
const QString PICTURE = QStringLiteral("board.png");
const QString FILE_NAME = QStringLiteral("north.olc");
const QString LOG_NAME = QStringLiteral("bench.log");
const QString MISSING_DEVICE = QStringLiteral("/dev/ttyUSB3");
// IN-1 B/3 on DATA-B to OUT-1 C/2, IN-2 A/1 to OUT-2 C/3.
const QByteArray RECORD =
    "\"00-00574-000\",\"NORTH PANEL\",\"DESIGNATION\",12,\"DESIGNATION\",0,\"DESIGNATION\",160,"
    "\"DESIGNATION\",160,\"DESIGNATION\",160,\"DESIGNATION\",160,\"DESIGNATION\",160,"
    "\"DESIGNATION\",160,\"DESIGNATION\",160,\"DESIGNATION\",160,\"DESIGNATION\",21,"
    "\"DESIGNATION\",22,\"DESIGNATION\",160,\"DESIGNATION\",160,\"DESIGNATION\",160,"
    "\"DESIGNATION\",160,\"DESIGNATION\",160,\"DESIGNATION\",160,\"DESIGNATION\",160,"
    "\"DESIGNATION\",160,1,0,0,0\r\n";
constexpr int FORGOTTEN_ADDRESS = 5;
constexpr int SHOWN_PROGRESS = 8; // bytes into the last module when the browser is started
constexpr int GIVE_UP_MS = 60000;

// The ports, as the bench names them.
enum Port { Passes, Fails, Returns, Held, Missing, Programming, PORTS };

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QTextStream err(stderr);
    const QString folder =
        QDir(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".")).absolutePath();
    QDir().mkpath(folder);
    QTemporaryDir work;
    QDir::setCurrent(work.path());

    std::vector<std::unique_ptr<emulator::ModuleServer>> modules;
    QList<PortArgument> ports;
    for (int port = 0; port < PORTS; ++port) {
        auto &module = *modules.emplace_back(std::make_unique<emulator::ModuleServer>());
        if (!module.open_pty()) {
            err << "no pseudo-terminal for a module: " << module.error_string() << Qt::endl;
            return 1;
        }
        const auto com = static_cast<qint16>(port + 1);
        ports.append({QStringLiteral("COM%1").arg(com),
                      port == Missing ? MISSING_DEVICE : module.port_name(), com});
    }
    emulator::FaultOptions forgets;
    forgets.forget_addresses = {FORGOTTEN_ADDRESS};
    modules[Fails]->core().set_faults(forgets);
    emulator::FaultOptions silent;
    silent.silent = true;
    modules[Programming]->core().set_faults(silent);
    // Another program has this one open.
    QSerialPort holder(modules[Held]->port_name());
    holder.open(QIODevice::ReadWrite);

    const RecordCheck checked = check_record(RECORD);
    StationSetup setup;
    setup.ports = ports;
    setup.file = FILE_NAME;
    setup.sha256 = QCryptographicHash::hash(RECORD, QCryptographicHash::Sha256);
    setup.expected = checked.panel();
    setup.image = *image_to_write(checked.panel());
    AuditLog log;
    log.open(LOG_NAME);
    Station station(log);
    Board board(station, LOG_NAME);
    if (!board.listen({QHostAddress::LocalHost, 0})) {
        err << "the board cannot listen: " << board.server().error_string() << Qt::endl;
        return 1;
    }

    // Each module's part in the scene, played as the station reports.
    int passes = 0;
    bool back = false, shooting = false;
    QProcess chromium;
    QTemporaryDir profile;
    QObject::connect(&station, &Station::event, [&](const StationEvent &event) {
        using Kind = StationEvent::Kind;
        emulator::ModuleCore &module = modules[static_cast<std::size_t>(event.port)]->core();
        if (event.kind == Kind::Programmed && event.port == Passes && ++passes == 1) {
            // Pulled out, and another one, blank, plugged in.
            module.set_faults(silent);
        } else if (event.kind == Kind::Removed && event.port == Passes) {
            for (int address = 0; address < CONFIGURATION_BYTES; ++address)
                module.set_byte(address, 0);
            module.set_faults({});
        } else if (event.kind == Kind::Programmed && event.port == Returns) {
            module.set_faults(silent); // a loose contact
        } else if (event.kind == Kind::Removed && event.port == Returns) {
            module.set_faults({});
        } else if (event.kind == Kind::Back) {
            back = true;
        }
        if (passes == 2 && back && modules[Programming]->core().faults().silent)
            modules[Programming]->core().set_faults({});
        if (event.kind == Kind::Progress && event.port == Programming &&
            event.done >= SHOWN_PROGRESS && !shooting) {
            shooting = true;
            chromium.setStandardErrorFile(QProcess::nullDevice());
            chromium.start(
                CHROMIUM,
                CHROMIUM_FLAGS +
                    QStringList{QStringLiteral("--user-data-dir=") + profile.path(),
                                QStringLiteral("--screenshot=") + QDir(folder).filePath(PICTURE),
                                QStringLiteral("http://127.0.0.1:%1/").arg(board.server().port())});
        }
    });
    QObject::connect(&chromium, &QProcess::finished, &app, [&](int code) {
        station.stop();
        app.exit(code);
    });
    QObject::connect(&chromium, &QProcess::errorOccurred, &app, [&] {
        err << "Chromium did not run: " << chromium.errorString() << Qt::endl;
        app.exit(1);
    });
    QTimer::singleShot(GIVE_UP_MS, &app, [&] {
        err << "the scene did not come together in time" << Qt::endl;
        app.exit(1);
    });
    station.start(setup);
    const int code = app.exec();
    if (code == 0 && !QFileInfo::exists(QDir(folder).filePath(PICTURE))) {
        err << "Chromium wrote no picture" << Qt::endl;
        return 1;
    }
    return code;
}
