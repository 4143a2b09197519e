#include "panel_check.h"

#include "assignment_view.h"
#include "check_assignments.h"

namespace
{

// The check's view of a panel value. A list's reaction runs, as in the window, only when its
// position changes, and every reaction but that to a cleared list ends in the check.
class PanelView : public AssignmentView
{
public:
    explicit PanelView(CheckedPanel &checked) : m_checked(checked) {}

    bool is_busy() const override { return false; }
    qint16 list_position(int n) const override { return m_checked.panel.position(n); }
    bool toggle_pressed(int n) const override { return m_checked.panel.pressed(n); }
    bool set_list_position(int n, qint16 position) override
    {
        const bool changed = m_checked.panel.position(n) != position;
        if (!m_checked.panel.select(n, position))
            return false;
        const bool input_module = list_kind(n) == ListKind::InputModule;
        if (changed && (input_module || position != NO_SELECTION))
            check_assignments(*this);
        return true;
    }
    void show_message(const QString &, const QString &) override {}
    void rule_broken(int k, AssignmentRule rule, const std::vector<int> &outputs) override
    {
        m_checked.findings.append({k, rule, outputs, m_checked.panel.slot(k).input});
    }

private:
    CheckedPanel &m_checked;
};

} // namespace

CheckedPanel check_panel(const Panel &panel)
{
    CheckedPanel checked{panel, {}};
    PanelView view(checked);
    check_assignments(view);
    return checked;
}

OpenedRecord open_record(const ConfigRecord &record)
{
    OpenedRecord opened;
    opened.load = load_record(record);
    opened.checked.panel = opened.load.panel;
    if (opened.load.refused_list == 0)
        opened.checked = check_panel(opened.load.panel);
    return opened;
}
