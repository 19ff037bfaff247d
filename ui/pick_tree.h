#pragma once
// A tree of actions (the command tree CmdTree, the trace tree tvTraceCmd) whose rows become
// current only when the user picks one: a click, or the keys once the tree has the focus. Qt's
// item views make their first row current when they take the focus by the keyboard or because a
// focused button was hidden (the View page's "Larger"); here that row would show its panel and
// Send would send it, a Restart nobody chose. So taking the focus leaves no row current.

#include <QFocusEvent>
#include <QItemSelectionModel>
#include <QSignalBlocker>
#include <QTreeWidget>

namespace vetra::ui {

class PickTree : public QTreeWidget {
  Q_OBJECT
 public:
  using QTreeWidget::QTreeWidget;

 protected:
  void focusInEvent(QFocusEvent* event) override {
    if (currentIndex().isValid() || selectionModel() == nullptr) {
      QTreeWidget::focusInEvent(event);
      return;
    }
    {
      // Unheard by the tree and its users: whatever row the view makes current is no choice.
      const QSignalBlocker blocker(selectionModel());
      QTreeWidget::focusInEvent(event);
      selectionModel()->clear();
    }
    viewport()->update();
  }
};

}  // namespace vetra::ui
