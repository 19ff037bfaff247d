#include "ui/page_control.h"

namespace vetra::ui {

PageControl::PageControl(QWidget* parent) : QTabWidget(parent) {
  setObjectName("pgCoder");
  connect(this, &QTabWidget::currentChanged, this, &PageControl::OnCurrentChanged);
}

void PageControl::SetHooks(BeforeChanging before, AfterChange after) {
  before_ = std::move(before);
  after_ = std::move(after);
  shown_ = currentIndex();
  LetOnlyCurrentPageCount();
}

void PageControl::LetOnlyCurrentPageCount() {
  for (int i = 0; i < count(); ++i) {
    const bool current = i == currentIndex();
    widget(i)->setSizePolicy(current ? QSizePolicy::Preferred : QSizePolicy::Ignored,
                             current ? QSizePolicy::Preferred : QSizePolicy::Ignored);
  }
}

void PageControl::OnCurrentChanged(int index) {
  if (changing_ || index == shown_ || index < 0) return;
  changing_ = true;
  // Put the old page back while the hook decides, so that it is what the user sees meanwhile.
  const int wanted = index;
  setCurrentIndex(shown_);
  const bool allowed = !before_ || before_(widget(shown_), widget(wanted));
  if (allowed) {
    shown_ = wanted;
    setCurrentIndex(wanted);
    LetOnlyCurrentPageCount();
  }
  changing_ = false;
  if (allowed && after_) after_(widget(wanted));
}

}  // namespace vetra::ui
