#pragma once
// pgCoder: a tab widget whose page changes can be refused. Before a change the "before" hook runs
// while the old page is still the current one (it may show a message box meanwhile); when it
// allows the change the new page becomes current and the "after" hook runs.
//
// Only the current page counts for the window's minimum size (the others are laid out with an
// ignored size policy), so that the compact View page is not held wide by another page.

#include <QTabWidget>
#include <functional>

namespace vetra::ui {

class PageControl : public QTabWidget {
  Q_OBJECT
 public:
  using BeforeChanging = std::function<bool(QWidget* leaving, QWidget* entering)>;
  using AfterChange = std::function<void(QWidget* entered)>;

  explicit PageControl(QWidget* parent = nullptr);
  void SetHooks(BeforeChanging before, AfterChange after);

 private:
  void OnCurrentChanged(int index);
  void LetOnlyCurrentPageCount();

  BeforeChanging before_;
  AfterChange after_;
  int shown_ = 0;
  bool changing_ = false;
};

}  // namespace vetra::ui
