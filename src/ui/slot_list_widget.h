#pragma once
// A single-selection list whose selected position is its current row: the person can pick an
// item but never empty the list, and focus alone never picks one. The list that has the focus
// is framed, so it stands out from the others, whose selections look the same.

#include <QListWidget>

class SlotListWidget : public QListWidget
{
public:
    explicit SlotListWidget(QWidget *parent = nullptr);

protected:
    QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex &index,
                                                         const QEvent *event) const override;
};
