#include "ui/command_panels.h"

#include <QVBoxLayout>

namespace vetra::ui {

CommandPanels::CommandPanels(QWidget* parameterArea) : area(parameterArea) {
  auto* layout = new QVBoxLayout(area);
  layout->setContentsMargins(0, 0, 0, 0);
  Add(PanelId::pnNothing);  // commands without parameters show the empty panel
  BuildReceiverPanels(*this);
  BuildQueryPanels(*this);
  BuildStorePanels(*this);
  BuildNavigationPanels(*this);
  BuildSatellitePanels(*this);
  BuildTraceCommandPanels(*this);
  panel(PanelId::pnNothing)->show();
}

QWidget* CommandPanels::Add(PanelId id) {
  auto* page = new QWidget(area);
  const std::string_view name = PanelName(id);
  page->setObjectName(QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size())));
  page->hide();
  area->layout()->addWidget(page);
  pages[id] = page;
  return page;
}

QWidget* CommandPanels::panel(PanelId id) const {
  const auto it = pages.find(id);
  return it != pages.end() ? it->second : pages.at(PanelId::pnNothing);
}

void CommandPanels::Show(PanelId id) {
  if (id == shown_) return;
  panel(shown_)->hide();
  shown_ = id;
  panel(shown_)->show();
}

}  // namespace vetra::ui
