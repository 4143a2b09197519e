#include "com_port_dialog.h"

#include "device_constants.h"
#include "slot_lists.h"
#include "window_fonts.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QStringList>

using namespace device;

namespace
{

inline const QString CAPTION = QStringLiteral("COM PORT SETTINGS");
inline const QString OK_CAPTION = QStringLiteral("OK");
inline const QString CANCEL_CAPTION = QStringLiteral("Cancel");
inline const QString LABEL1_DESIGN_TEXT = QStringLiteral("Label1");
inline const QString LABEL2_CAPTION = QStringLiteral("COM PORT = ");
inline const QString LIST1_NAME = QStringLiteral("COM port");

const QStringList INFORMATION_LINES{
    QStringLiteral("MAKE SURE THAT THE HARDWARE"),
    QStringLiteral("SETTINGS FOR THE COM PORT ON"),
    QStringLiteral("YOUR COMPUTER ARE SET AS FOLLOWS:"),
    QStringLiteral("     BAUD RATE = 9600"),
    QStringLiteral("     PARITY = N"),
    QStringLiteral("     DATA BITS = 8"),
    QStringLiteral("     STOP BITS = 1"),
    QString(),
    QStringLiteral("THESE VALUES ARE FIXED IN THE PROGRAM"),
    QStringLiteral("AND CANNOT BE CHANGED."),
    QString(),
    QStringLiteral("YOU CAN, HOWEVER, CHANGE THE"),
    QStringLiteral("ASSIGNED COM PORT BELOW:"),
};

// Layout in twips, as the window was designed.
constexpr int TWIPS_PER_INCH = 1440;
constexpr int CLIENT_WIDTH = 6030;
constexpr int CLIENT_HEIGHT = 3405;
struct Place {
    int left, top, width, height;
};
constexpr Place OK_PLACE{4680, 120, 1215, 375};
constexpr Place CANCEL_PLACE{4680, 600, 1215, 375};
constexpr Place LABEL1_PLACE{120, 120, 4455, 2535};
constexpr Place LIST1_PLACE{1920, 2760, 735, 450};
constexpr Place LABEL2_PLACE{840, 2880, 1095, 495};

} // namespace

ComPortDialog::ComPortDialog(QWidget *parent) : QDialog(parent)
{
    setWindowTitle(CAPTION);
    setModal(false);
    setFont(design_font(ui::WINDOW_FAMILY, ui::WINDOW_FONT_POINTS, false));

    const QScreen *screen = QGuiApplication::primaryScreen();
    const double pixels_per_twip = (screen ? screen->logicalDotsPerInch() : 96.0) / TWIPS_PER_INCH;
    auto px = [pixels_per_twip](int twips) { return qRound(twips * pixels_per_twip); };
    auto place = [&px](QWidget *w, const Place &p) {
        w->setGeometry(px(p.left), px(p.top), px(p.width), px(p.height));
    };
    setFixedSize(px(CLIENT_WIDTH), px(CLIENT_HEIGHT));

    // Created in tab order.
    m_ok = new QPushButton(OK_CAPTION, this);
    m_cancel = new QPushButton(CANCEL_CAPTION, this);
    m_label1 = new QLabel(LABEL1_DESIGN_TEXT, this);
    m_list1 = new QListWidget(this);
    m_label2 = new QLabel(LABEL2_CAPTION, this);
    place(m_ok, OK_PLACE);
    place(m_cancel, CANCEL_PLACE);
    place(m_label1, LABEL1_PLACE);
    place(m_list1, LIST1_PLACE);
    place(m_label2, LABEL2_PLACE);
    m_label1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_ok->setDefault(true);
    fit_to_font();

    for (qint16 port = FIRST_PORT; port <= LAST_PORT; ++port) {
        auto *item = new QListWidgetItem(QString::number(port), m_list1);
        item->setData(Qt::UserRole, port);
    }
    m_list1->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list1->setAccessibleName(LIST1_NAME);
    m_label2->setBuddy(m_list1);

    connect(m_ok, &QPushButton::clicked, this, &ComPortDialog::ok_clicked);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
}

void ComPortDialog::fit_to_font()
{
    // The design sizes assume the original font; where the desktop's font is taller, the
    // thirteen lines get the room they need and the port list moves down with them.
    const QFontMetrics metrics(m_label1->font());
    const int needed = metrics.lineSpacing() * static_cast<int>(INFORMATION_LINES.size());
    const int extra = qMax(0, needed - m_label1->height());
    m_label1->resize(m_label1->width(), m_label1->height() + extra);
    m_list1->move(m_list1->x(), m_list1->y() + extra);
    // The caption ends where the list begins, whatever its text's width.
    const int label2_width = qMax(m_label2->width(), m_label2->sizeHint().width());
    m_label2->setGeometry(m_list1->x() - label2_width, m_label2->y() + extra, label2_width,
                          m_label2->height());
    m_label2->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    setFixedSize(width(), height() + extra);
}

void ComPortDialog::prepare(std::optional<qint16> port_number)
{
    m_label1->setText(INFORMATION_LINES.join(u'\n'));
    // OK without a choice then keeps that port.
    m_list1->setCurrentRow(port_number ? *port_number - FIRST_PORT : NO_SELECTION);
}

void ComPortDialog::ok_clicked()
{
    const QListWidgetItem *item = m_list1->currentItem();
    if (item)
        emit port_chosen(static_cast<qint16>(item->data(Qt::UserRole).toInt()));
    accept();
}
