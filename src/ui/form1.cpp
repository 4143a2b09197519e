#include "form1.h"

#include "check_assignments.h"
#include "panel_name_limit.h"
#include "prompts.h"
#include "slot_list_widget.h"
#include "status_line.h"
#include "ui_constants.h"
#include "window_fonts.h"
#include "window_icon.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>

#include <tuple>

namespace
{

// Layout in twips (1/1440 inch), as the window was designed.
constexpr int CLIENT_WIDTH = 10080;
constexpr int CLIENT_HEIGHT = 8580;
constexpr int ROW_PITCH = 720;

constexpr int OUTLINE_WIDTH = 3135;
constexpr int OUTLINE_HEIGHT = 735;
constexpr int OUTLINE_TOP = 480;
constexpr int IN_OUTLINE_LEFT = 120;
constexpr int OUT_OUTLINE_LEFT = 3600;
constexpr int OUTLINE_LINE_WIDTH = 2;

constexpr int CAPTION_TOP = 600;
constexpr int CAPTION_HEIGHT = 195;
constexpr int IN_CAPTION_LEFT = 480;
constexpr int OUT_CAPTION_LEFT = 6000;

constexpr int TOGGLE_TOP = 480;
constexpr int TOGGLE_WIDTH = 735;
constexpr int TOGGLE_HEIGHT = 375;
constexpr int IN_TOGGLE_LEFT = 1080;
constexpr int OUT_TOGGLE_LEFT = 5058;

constexpr int DESIGNATION_TOP = 840;
constexpr int DESIGNATION_WIDTH = 1695;
constexpr int DESIGNATION_HEIGHT = 285;
constexpr int IN_DESIGNATION_LEFT = 120;
constexpr int OUT_DESIGNATION_LEFT = 5040;

constexpr int LIST_TOP = 480;
constexpr int LIST_HEIGHT = 645;
constexpr int MODULE_LIST_WIDTH = 855;
constexpr int CHANNEL_LIST_WIDTH = 615;
constexpr int IN_MODULE_LEFT = 1800;
constexpr int IN_CHANNEL_LEFT = 2640;
constexpr int OUT_MODULE_LEFT = 3600;
constexpr int OUT_CHANNEL_LEFT = 4440;

constexpr int EQUALS_LEFT = 3360;
constexpr int EQUALS_TOP = 600;
constexpr int EQUALS_SIZE = 255;

constexpr int COLUMN_TOP = 120;
constexpr int COLUMN_HEIGHT = 7575;

// Headings and captions: left, top, width, height.
struct Box {
    int left, top, width, height;
};
constexpr Box INPUT_HEADING_BOX{720, 0, 1815, 495};
constexpr Box OUTPUT_HEADING_BOX{4200, 0, 1935, 375};
constexpr Box PANEL_CAPTION_BOX{1185, 7980, 2325, 195};
constexpr Box PANEL_NAME_BOX_AT{3480, 7920, 2415, 285};

constexpr int RIGHT_COLUMN_LEFT = 7320;
constexpr int RIGHT_COLUMN_WIDTH = 2535;
constexpr int STATUS_TOP = 120;
constexpr int STATUS_HEIGHT = 2055;
constexpr int BUTTON_HEIGHT = 855;
// The four command buttons, top to bottom: open, save, read from module, write to module.
constexpr int READ_FILE_TOP = 2640;
constexpr int WRITE_FILE_TOP = 3960;
constexpr int READ_CONFIG_TOP = 5280;
constexpr int WRITE_CONFIG_TOP = 6600;
// The caption label inside a button keeps clear of its frame by this many pixels.
constexpr QMargins BUTTON_CAPTION_MARGINS{4, 2, 4, 2};

constexpr double EQUALS_FONT_POINTS = 14.25;
constexpr double BUTTON_FONT_POINTS = 9.75;

// What assistive technology calls the slot controls; %1 is "IN-k" or "OUT-k".
inline const QString MODULE_NAME = QStringLiteral("%1 module");
inline const QString CHANNEL_NAME = QStringLiteral("%1 channel");
inline const QString LOOP_NAME = QStringLiteral("%1 loop");
inline const QString DESIGNATION_NAME = QStringLiteral("%1 designation");
// A LOOP toggle is described by the loop it stands for, then its tool tip.
inline const QString LOOP_DESCRIPTION = QStringLiteral("%1, %2");
inline const QString RELEASED_LOOP = QStringLiteral("DATA-A");
inline const QString PRESSED_LOOP = QStringLiteral("DATA-B");

// Open and save take the desktop's own keys; the others take none of its standard bindings.
// (Standard keys are looked up once the desktop is known.)
constexpr QKeySequence::StandardKey READ_FILE_KEYS = QKeySequence::Open;
constexpr QKeySequence::StandardKey WRITE_FILE_KEYS = QKeySequence::Save;
constexpr QKeyCombination READ_CONFIG_KEYS(Qt::ControlModifier | Qt::ShiftModifier, Qt::Key_R);
constexpr QKeyCombination WRITE_CONFIG_KEYS(Qt::ControlModifier | Qt::ShiftModifier, Qt::Key_W);
constexpr QKeyCombination COM_SETTINGS_KEYS(Qt::ControlModifier | Qt::ShiftModifier, Qt::Key_P);

// IN-k and OUT-k caption labels are not numbered in slot order.
constexpr std::array<int, SLOT_COUNT> IN_CAPTION_LABELS{2, 3, 4, 5, 8, 9, 10, 11, 12, 13};
constexpr std::array<int, SLOT_COUNT> OUT_CAPTION_LABELS{7, 15, 16, 17, 18, 19, 20, 21, 22, 23};
constexpr int INPUT_HEADING_LABEL = 14;
constexpr int OUTPUT_HEADING_LABEL = 24;
constexpr int PANEL_CAPTION_LABEL = 6;

QFrame *make_outline(QWidget *parent)
{
    auto *frame = new QFrame(parent);
    frame->setFrameShape(QFrame::Box);
    frame->setFrameShadow(QFrame::Plain);
    frame->setLineWidth(OUTLINE_LINE_WIDTH);
    frame->setAttribute(Qt::WA_TransparentForMouseEvents);
    return frame;
}

} // namespace

Form1::Form1(Prompts &prompts, QWidget *parent) : QMainWindow(parent), m_prompts(prompts)
{
    build_window();
    start_up();
}

int Form1::tw(int twips) const
{
    return qRound(twips * m_pixels_per_twip);
}

void Form1::place(QWidget *w, int left, int top, int width, int height) const
{
    w->setGeometry(tw(left), tw(top), tw(width), tw(height));
}

void Form1::build_window()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    const double dpi = screen ? screen->logicalDotsPerInch() : 96.0;
    m_pixels_per_twip = dpi / ui::TWIPS_PER_INCH;

    setWindowTitle(ui::WINDOW_CAPTION);
    setWindowIcon(make_window_icon());
    setFont(design_font(ui::WINDOW_FAMILY, ui::WINDOW_FONT_POINTS, true));

    m_central = new QWidget(this);
    m_central->setAutoFillBackground(true);
    QPalette palette = m_central->palette();
    palette.setColor(QPalette::Window, ui::LIGHT_GREY);
    m_central->setPalette(palette);
    setCentralWidget(m_central);

    m_menu1 = menuBar()->addAction(ui::MENU_COM_SETTINGS);
    m_menu1->setShortcut(COM_SETTINGS_KEYS);

    // Outlines first, so that the controls drawn inside them stay on top.
    m_shape1 = make_outline(m_central);
    place(m_shape1, IN_OUTLINE_LEFT, COLUMN_TOP, OUTLINE_WIDTH, COLUMN_HEIGHT);
    m_shape2 = make_outline(m_central);
    place(m_shape2, OUT_OUTLINE_LEFT, COLUMN_TOP, OUTLINE_WIDTH, COLUMN_HEIGHT);
    for (int k = 1; k <= SLOT_COUNT; ++k)
        build_slot(k);
    build_fixed_controls();
    set_focus_order();

    const int menu_height = menuBar()->sizeHint().height();
    setFixedSize(tw(CLIENT_WIDTH), tw(CLIENT_HEIGHT) + menu_height);
}

void Form1::build_slot(int k)
{
    const int r = ROW_PITCH * (k - 1);
    const QString in_name = INPUT_NAME.arg(k);
    const QString out_name = OUTPUT_NAME.arg(k);

    for (int i : {k - 1, k + 9}) {
        m_outlines[static_cast<std::size_t>(i)] = make_outline(m_central);
        const int left = i < SLOT_COUNT ? IN_OUTLINE_LEFT : OUT_OUTLINE_LEFT;
        place(Shape3(i), left, OUTLINE_TOP + r, OUTLINE_WIDTH, OUTLINE_HEIGHT);
    }

    const auto make_caption = [&](int label, const QString &text, int left) {
        auto *caption = new QLabel(text, m_central);
        caption->setAutoFillBackground(true);
        QPalette palette = caption->palette();
        palette.setColor(QPalette::Window, greyed_text_colour());
        palette.setColor(QPalette::WindowText, QApplication::palette().color(QPalette::WindowText));
        caption->setPalette(palette);
        caption->adjustSize();
        caption->move(tw(left), tw(CAPTION_TOP + r));
        caption->resize(caption->width(), tw(CAPTION_HEIGHT));
        m_labels[static_cast<std::size_t>(label)] = caption;
    };
    make_caption(IN_CAPTION_LABELS[static_cast<std::size_t>(k - 1)], in_name, IN_CAPTION_LEFT);
    make_caption(OUT_CAPTION_LABELS[static_cast<std::size_t>(k - 1)], out_name, OUT_CAPTION_LEFT);

    const auto make_list = [&](int n, int left, int width, const QString &name,
                               const QString &tip) {
        auto *list = new SlotListWidget(m_central);
        list->setAccessibleName(name);
        list->setAccessibleDescription(tip);
        for (const ListItem &item : list_items(list_kind(n))) {
            auto *entry = new QListWidgetItem(QString::fromLatin1(item.text), list);
            entry->setData(Qt::UserRole, item.value);
        }
        list->setToolTip(tip);
        set_background(list, ui::YELLOW);
        place(list, left, LIST_TOP + r, width, LIST_HEIGHT);
        m_lists[static_cast<std::size_t>(n)] = list;
        connect(list, &QListWidget::currentRowChanged, this, [this, n] {
            if (list_kind(n) == ListKind::InputModule)
                input_module_reaction(list_slot(n));
            else
                selection_reaction(n);
        });
    };
    for (const QString &side : {in_name, out_name}) {
        const bool input = side == in_name;
        make_list(input ? input_module_list(k) : output_module_list(k),
                  input ? IN_MODULE_LEFT : OUT_MODULE_LEFT, MODULE_LIST_WIDTH,
                  MODULE_NAME.arg(side), ui::MODULE_TIP.arg(side));
        make_list(input ? input_channel_list(k) : output_channel_list(k),
                  input ? IN_CHANNEL_LEFT : OUT_CHANNEL_LEFT, CHANNEL_LIST_WIDTH,
                  CHANNEL_NAME.arg(side), ui::CHANNEL_TIP.arg(side));
    }

    const auto make_toggle = [&](int n, int left, const QString &side) {
        auto *toggle = new QPushButton(ui::LOOP_CAPTION, m_central);
        toggle->setCheckable(true);
        toggle->setFont(design_font(ui::WINDOW_FAMILY, ui::WINDOW_FONT_POINTS, true));
        const QString tip = ui::LOOP_TIP.arg(side);
        toggle->setToolTip(tip);
        toggle->setAccessibleName(LOOP_NAME.arg(side));
        const auto describe = [toggle, tip](bool pressed) {
            toggle->setAccessibleDescription(
                LOOP_DESCRIPTION.arg(pressed ? PRESSED_LOOP : RELEASED_LOOP, tip));
        };
        describe(false);
        toggle->installEventFilter(this);
        place(toggle, left, TOGGLE_TOP + r, TOGGLE_WIDTH, TOGGLE_HEIGHT);
        m_toggles[static_cast<std::size_t>(n)] = toggle;
        // Described before its reaction runs, so a box the reaction opens finds the new state.
        connect(toggle, &QPushButton::toggled, toggle, describe);
        connect(toggle, &QPushButton::toggled, this, [this, n] { loop_toggle_reaction(n); });
    };
    make_toggle(input_toggle(k), IN_TOGGLE_LEFT, in_name);
    make_toggle(output_toggle(k), OUT_TOGGLE_LEFT, out_name);

    const auto make_designation = [&](int n, int left, const QString &side) {
        auto *box = new QLineEdit(ui::DESIGNATION_AS_BUILT, m_central);
        box->setAccessibleName(DESIGNATION_NAME.arg(side));
        box->setAlignment(Qt::AlignCenter);
        box->setToolTip(ui::DESIGNATION_TIP.arg(side));
        set_background(box, ui::YELLOW);
        place(box, left, DESIGNATION_TOP + r, DESIGNATION_WIDTH, DESIGNATION_HEIGHT);
        m_texts[static_cast<std::size_t>(n)] = box;
    };
    make_designation(input_designation_box(k), IN_DESIGNATION_LEFT, in_name);
    make_designation(output_designation_box(k), OUT_DESIGNATION_LEFT, out_name);

    auto *equals = new QLabel(ui::EQUALS_CAPTION, m_central);
    equals->setFont(design_font(ui::ARIAL_FAMILY, EQUALS_FONT_POINTS, true));
    equals->setAlignment(Qt::AlignCenter);
    place(equals, EQUALS_LEFT, EQUALS_TOP + r, EQUALS_SIZE, EQUALS_SIZE);
    m_equals[static_cast<std::size_t>(k - 1)] = equals;
}

void Form1::build_fixed_controls()
{
    const auto make_heading = [&](int label, const QString &text, const Box &box) {
        auto *heading = new QLabel(text, m_central);
        heading->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
        heading->setWordWrap(true);
        place(heading, box.left, box.top, box.width, box.height);
        m_labels[static_cast<std::size_t>(label)] = heading;
        return heading;
    };
    make_heading(PANEL_CAPTION_LABEL, ui::PANEL_NAME_CAPTION, PANEL_CAPTION_BOX);
    // The column headings sit on the column outlines; keep them readable above the lines.
    for (const auto &[label, text, box] :
         {std::tuple{INPUT_HEADING_LABEL, ui::INPUT_HEADING, INPUT_HEADING_BOX},
          std::tuple{OUTPUT_HEADING_LABEL, ui::OUTPUT_HEADING, OUTPUT_HEADING_BOX}}) {
        QLabel *heading = make_heading(label, text, box);
        heading->setAutoFillBackground(true);
        heading->adjustSize();
        heading->resize(qMax(heading->width(), tw(box.width)), heading->height());
    }

    m_text1 = new StatusLine(m_central);
    set_background(m_text1, QApplication::palette().color(QPalette::Midlight));
    place(m_text1, RIGHT_COLUMN_LEFT, STATUS_TOP, RIGHT_COLUMN_WIDTH, STATUS_HEIGHT);
    m_text1->hide();

    const auto make_button = [&](const QString &caption, const QString &tip,
                                 const QKeySequence &keys, int top) {
        auto *button = new QPushButton(m_central);
        // A label inside the button lets the long captions wrap onto two lines.
        auto *text = new QLabel(caption, button);
        text->setWordWrap(true);
        text->setAlignment(Qt::AlignCenter);
        text->setAttribute(Qt::WA_TransparentForMouseEvents);
        button->setAccessibleName(caption);
        button->setFont(design_font(ui::ARIAL_FAMILY, BUTTON_FONT_POINTS, true));
        button->setToolTip(tip);
        // A shortcut clicks the button, so it is ignored whenever a click would be.
        button->setShortcut(keys);
        button->installEventFilter(this);
        place(button, RIGHT_COLUMN_LEFT, top, RIGHT_COLUMN_WIDTH, BUTTON_HEIGHT);
        text->setGeometry(button->rect().marginsRemoved(BUTTON_CAPTION_MARGINS));
        return button;
    };
    m_read_file =
        make_button(ui::READ_FILE_CAPTION, ui::READ_FILE_TIP, READ_FILE_KEYS, READ_FILE_TOP);
    m_write_file =
        make_button(ui::WRITE_FILE_CAPTION, ui::WRITE_FILE_TIP, WRITE_FILE_KEYS, WRITE_FILE_TOP);
    m_read_config = make_button(ui::READ_CONFIG_CAPTION, ui::READ_CONFIG_TIP, READ_CONFIG_KEYS,
                                READ_CONFIG_TOP);
    m_write_config = make_button(ui::WRITE_CONFIG_CAPTION, ui::WRITE_CONFIG_TIP, WRITE_CONFIG_KEYS,
                                 WRITE_CONFIG_TOP);

    auto *panel = new QLineEdit(m_central);
    panel->setValidator(new PanelNameLimit(PANEL_NAME_MAX_LENGTH, panel));
    // Its caption names it to assistive technology.
    Label(PANEL_CAPTION_LABEL)->setBuddy(panel);
    panel->setAlignment(Qt::AlignCenter);
    panel->setFont(design_font(ui::WINDOW_FAMILY, ui::WINDOW_FONT_POINTS, false));
    panel->setToolTip(ui::PANEL_NAME_TIP);
    place(panel, PANEL_NAME_BOX_AT.left, PANEL_NAME_BOX_AT.top, PANEL_NAME_BOX_AT.width,
          PANEL_NAME_BOX_AT.height);
    m_texts[ui::PANEL_NAME_BOX] = panel;
}

void Form1::set_focus_order()
{
    // Reading order: each row left to right, rows top to bottom, then the name box, the four
    // buttons and the status line.
    QList<QWidget *> chain;
    for (int k = 1; k <= SLOT_COUNT; ++k)
        chain << ToggleButton(input_toggle(k)) << List(input_module_list(k))
              << List(input_channel_list(k)) << Text(input_designation_box(k))
              << List(output_module_list(k)) << List(output_channel_list(k))
              << ToggleButton(output_toggle(k)) << Text(output_designation_box(k));
    chain << Text(ui::PANEL_NAME_BOX) << m_read_file << m_write_file << m_read_config
          << m_write_config << m_text1;
    for (qsizetype i = 1; i < chain.size(); ++i)
        setTabOrder(chain[i - 1], chain[i]);
}

bool Form1::eventFilter(QObject *watched, QEvent *event)
{
    // Return presses a focused button or LOOP toggle, as space does.
    if (event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) &&
            (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
            if (!key->isAutoRepeat())
                static_cast<QAbstractButton *>(watched)->click();
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void Form1::start_up()
{
    for (int k = 1; k <= SLOT_COUNT; ++k) {
        set_list_position(input_module_list(k), NA_POSITION);
        set_background(List(input_module_list(k)), greyed_text_colour());
        Shape3(k + 9)->hide();
    }
}

// Controls by name -------------------------------------------------------------------------

QListWidget *Form1::List(int n) const
{
    return m_lists.at(static_cast<std::size_t>(n));
}

QTextEdit *Form1::Text1() const
{
    return m_text1;
}

QLineEdit *Form1::Text(int n) const
{
    return m_texts.at(static_cast<std::size_t>(n));
}

QPushButton *Form1::ToggleButton(int n) const
{
    return m_toggles.at(static_cast<std::size_t>(n));
}

QLabel *Form1::Label(int n) const
{
    return m_labels.at(static_cast<std::size_t>(n));
}

QLabel *Form1::Label1(int index) const
{
    return m_equals.at(static_cast<std::size_t>(index));
}

QFrame *Form1::Shape3(int index) const
{
    return m_outlines.at(static_cast<std::size_t>(index));
}

QLabel *Form1::in_caption(int k) const
{
    return Label(IN_CAPTION_LABELS.at(static_cast<std::size_t>(k - 1)));
}

QLabel *Form1::out_caption(int k) const
{
    return Label(OUT_CAPTION_LABELS.at(static_cast<std::size_t>(k - 1)));
}

// Reactions --------------------------------------------------------------------------------

void Form1::input_module_reaction(int k)
{
    const qint16 position = list_position(input_module_list(k));
    if (position == NA_POSITION) {
        for (int n : {input_channel_list(k), output_module_list(k), output_channel_list(k)}) {
            set_list_position(n, NO_SELECTION);
            List(n)->hide();
        }
        for (int n : {input_designation_box(k), output_designation_box(k)}) {
            Text(n)->hide();
            Text(n)->setText(DESIGNATION_PLACEHOLDER);
        }
        out_caption(k)->hide();
        Label1(k - 1)->hide();
        ToggleButton(input_toggle(k))->hide();
        ToggleButton(input_toggle(k))->setChecked(false);
        // After the toggle: its reaction recolours this list yellow.
        set_background(List(input_module_list(k)), greyed_text_colour());
        ToggleButton(output_toggle(k))->hide();
        ToggleButton(output_toggle(k))->setChecked(false);
        Shape3(k + 9)->hide();
    } else if (position > NA_POSITION) {
        for (int n : {input_channel_list(k), output_module_list(k), output_channel_list(k)})
            List(n)->show();
        Text(input_designation_box(k))->show();
        Text(output_designation_box(k))->show();
        out_caption(k)->show();
        Label1(k - 1)->show();
        ToggleButton(input_toggle(k))->show();
        ToggleButton(output_toggle(k))->show();
        Shape3(k + 9)->show();
        set_background(List(input_module_list(k)),
                       toggle_pressed(input_toggle(k)) ? ui::LIGHT_CYAN : ui::YELLOW);
    }
    check_assignments();
}

void Form1::selection_reaction(int n)
{
    if (list_position(n) == NO_SELECTION)
        return;
    check_assignments();
}

void Form1::loop_toggle_reaction(int n)
{
    colour_side(n, toggle_pressed(n) ? ui::LIGHT_CYAN : ui::YELLOW);
    check_assignments();
}

void Form1::colour_side(int n, const QColor &colour)
{
    const bool input = n <= SLOT_COUNT;
    const int k = input ? n : n - SLOT_COUNT;
    if (input) {
        set_background(List(input_module_list(k)), colour);
        set_background(List(input_channel_list(k)), colour);
        set_background(Text(input_designation_box(k)), colour);
    } else {
        set_background(List(output_module_list(k)), colour);
        set_background(List(output_channel_list(k)), colour);
        set_background(Text(output_designation_box(k)), colour);
    }
}

// Conversions between the window and the model -------------------------------------------

Panel Form1::panel() const
{
    Panel panel;
    for (int k = 1; k <= SLOT_COUNT; ++k) {
        PanelSlot &slot = panel.slot(k);
        slot.input = {list_position(input_module_list(k)), list_position(input_channel_list(k)),
                      toggle_pressed(input_toggle(k)), Text(input_designation_box(k))->text()};
        slot.output = {list_position(output_module_list(k)), list_position(output_channel_list(k)),
                       toggle_pressed(output_toggle(k)), Text(output_designation_box(k))->text()};
    }
    panel.name = Text(ui::PANEL_NAME_BOX)->text();
    return panel;
}

bool Form1::load_side(int k, bool output, SidePositions positions)
{
    const bool module_taken =
        set_list_position(output ? output_module_list(k) : input_module_list(k), positions.module);
    const bool channel_taken = set_list_position(
        output ? output_channel_list(k) : input_channel_list(k), positions.channel);
    return module_taken && channel_taken;
}

void Form1::set_designation(int k, bool output, const QString &text, bool shown)
{
    QLineEdit *box = Text(output ? output_designation_box(k) : input_designation_box(k));
    box->setText(text);
    box->setVisible(shown);
}

void Form1::apply_loops(const Panel &panel)
{
    for (int n = 1; n <= TOGGLE_COUNT; ++n)
        ToggleButton(n)->setChecked(panel.pressed(n));
}

void Form1::grey_unassigned_inputs()
{
    for (int k = 1; k <= SLOT_COUNT; ++k)
        if (list_position(input_module_list(k)) == NA_POSITION && !toggle_pressed(input_toggle(k)))
            set_background(List(input_module_list(k)), greyed_text_colour());
}

void Form1::check_assignments()
{
    ::check_assignments(*this);
}

// Status line ------------------------------------------------------------------------------

void Form1::show_status(const QString &text, const QColor &background)
{
    set_status_background(background);
    set_status_text(text);
    show_status_line();
}

void Form1::set_status_text(const QString &text)
{
    m_text1->set_text(text);
}

void Form1::set_status_background(const QColor &background)
{
    set_background(m_text1, background);
}

void Form1::show_status_line()
{
    m_text1->show();
}

void Form1::hide_status()
{
    m_text1->hide();
}

QString Form1::status_text() const
{
    return m_text1->text();
}

QColor Form1::status_background() const
{
    return background(m_text1);
}

// Colours ----------------------------------------------------------------------------------

QColor Form1::background(const QWidget *control)
{
    return control->palette().color(QPalette::Base);
}

void Form1::set_background(QWidget *control, const QColor &colour)
{
    QPalette palette = control->palette();
    palette.setColor(QPalette::Base, colour);
    control->setPalette(palette);
}

QColor Form1::greyed_text_colour()
{
    return QApplication::palette().color(QPalette::Disabled, QPalette::Text);
}

// The view the assignment check works on ---------------------------------------------------

bool Form1::is_busy() const
{
    return m_busy;
}

qint16 Form1::list_position(int n) const
{
    return static_cast<qint16>(List(n)->currentRow());
}

bool Form1::toggle_pressed(int n) const
{
    return ToggleButton(n)->isChecked();
}

bool Form1::set_list_position(int n, qint16 position)
{
    QListWidget *list = List(n);
    if (position < NO_SELECTION || position >= list->count())
        return false;
    list->setCurrentRow(position);
    return true;
}

void Form1::show_message(const QString &title, const QString &text)
{
    m_prompts.message(title, text);
}

void Form1::closeEvent(QCloseEvent *event)
{
    emit closing();
    QMainWindow::closeEvent(event);
}
