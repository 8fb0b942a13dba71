#pragma once

#include <QStyledItemDelegate>

class QAbstractItemView;

namespace tavrin {

// One click on an editable cell opens its editor, as the lists' in-place
// editing works; and typing on the current editable cell edits it rather
// than moving to the row whose text starts with the letter typed. A click
// with Ctrl or Shift only selects.
void EditOnClick(QAbstractItemView* view);

// Draws a list's row tick boxes with a frame in the palette's text colour
// where the style's own frame would vanish on a dark palette's base, so an
// unticked box can be seen. On a light palette it draws as the style does.
class TickBoxDelegate final : public QStyledItemDelegate {
  public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
};

}  // namespace tavrin
