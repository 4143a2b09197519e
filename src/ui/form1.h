#pragma once
// The main window: ten slots of lists, loop toggles and designation boxes, the status line,
// the four command buttons and the COM SETTINGS menu, with the slot reactions.

#include "assignment_view.h"
#include "panel.h"
#include "panel_loading.h"

#include <QMainWindow>
#include <array>

class Prompts;
class QAction;
class QFrame;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTextEdit;
class StatusLine;

class Form1 : public QMainWindow, public AssignmentView
{
    Q_OBJECT

public:
    explicit Form1(Prompts &prompts, QWidget *parent = nullptr);

    Prompts &prompts() { return m_prompts; }
    // `busy`: true while a load pushes values into the window; the check does nothing then.
    bool busy() const { return m_busy; }
    void set_busy(bool busy) { m_busy = busy; }

    // Controls by the window's own names.
    QListWidget *List(int n) const;         // 1..40
    QTextEdit *Text1() const;               // the status line
    QLineEdit *Text(int n) const;           // 2: panel name box; 3..22: designation boxes
    QPushButton *ToggleButton(int n) const; // 1..20
    QLabel *Label(int n) const;             // Label2 .. Label24 (captions and headings)
    QLabel *Label1(int index) const;        // the "=" signs, 0..9
    QFrame *Shape3(int index) const;        // row outlines, 0..19
    QFrame *Shape1() const { return m_shape1; }
    QFrame *Shape2() const { return m_shape2; }
    QLabel *in_caption(int k) const;  // IN-k caption
    QLabel *out_caption(int k) const; // OUT-k caption
    QPushButton *READ_CONFIG() const { return m_read_config; }
    QPushButton *WRITE_CONFIG() const { return m_write_config; }
    QPushButton *READ_FILE() const { return m_read_file; }
    QPushButton *WRITE_FILE() const { return m_write_file; }
    QAction *MENU1() const { return m_menu1; }

    // The window as a model value: every list's position, every toggle, every designation
    // box and the panel name box.
    Panel panel() const;
    // The loading steps, as the open and the read take them from the model: the module list,
    // then the channel list of one side (false when a list has no such position; it is left as
    // it was), its designation box, and the twenty toggles in order.
    bool load_side(int k, bool output, SidePositions positions);
    void set_designation(int k, bool output, const QString &text, bool shown);
    void apply_loops(const Panel &panel);
    // Greys the module list of every "N/A" input whose loop is released, as the start does: a
    // load that releases a hidden toggle must not leave the colour of its loop behind.
    void grey_unassigned_inputs();
    // Runs the assignment check over this window.
    void check_assignments();

    // The status line. Each command hides it when it starts and shows what it reports.
    void show_status(const QString &text, const QColor &background);
    void set_status_text(const QString &text);
    void set_status_background(const QColor &background);
    void show_status_line();
    void hide_status();
    QString status_text() const;
    QColor status_background() const;

    // Background colour a control shows (lists and text boxes: their base colour).
    static QColor background(const QWidget *control);
    static void set_background(QWidget *control, const QColor &colour);
    // The desktop's colour for greyed text, used for "N/A" inputs and the IN/OUT captions.
    static QColor greyed_text_colour();

    // AssignmentView
    bool is_busy() const override;
    qint16 list_position(int n) const override;
    bool toggle_pressed(int n) const override;
    bool set_list_position(int n, qint16 position) override;
    void show_message(const QString &title, const QString &text) override;

signals:
    // The window is being closed; a running device sequence must end.
    void closing();

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void build_window();
    void build_slot(int k);
    void build_fixed_controls();
    void set_focus_order();
    void start_up();
    int tw(int twips) const; // twips to pixels for this screen
    void place(QWidget *w, int left, int top, int width, int height) const;

    void input_module_reaction(int k);
    void selection_reaction(int n);
    void loop_toggle_reaction(int n);
    void colour_side(int n, const QColor &colour);

    Prompts &m_prompts;
    bool m_busy = false;
    QWidget *m_central = nullptr;

    std::array<QListWidget *, LIST_COUNT + 1> m_lists{};     // [1..40]
    std::array<QLineEdit *, 23> m_texts{};                   // [2..22]
    std::array<QPushButton *, TOGGLE_COUNT + 1> m_toggles{}; // [1..20]
    std::array<QLabel *, 25> m_labels{};                     // [2..24]
    std::array<QLabel *, SLOT_COUNT> m_equals{};             // Label1(0..9)
    std::array<QFrame *, 2 * SLOT_COUNT> m_outlines{};       // Shape3(0..19)
    StatusLine *m_text1 = nullptr;
    QFrame *m_shape1 = nullptr;
    QFrame *m_shape2 = nullptr;
    QPushButton *m_read_config = nullptr;
    QPushButton *m_write_config = nullptr;
    QPushButton *m_read_file = nullptr;
    QPushButton *m_write_file = nullptr;
    QAction *m_menu1 = nullptr;
    double m_pixels_per_twip = 1.0 / 15.0;
};
