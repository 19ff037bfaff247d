#pragma once
// How the command panels lay out their controls: a column of groups and grids of labelled
// fields (each caption left of its edit), with the rest of the panel's height left empty at the
// bottom.

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>
#include <array>
#include <string_view>
#include <vector>

#include "ui/command_widgets.h"

namespace vetra::ui {

inline QVBoxLayout* PanelColumn(QWidget* panel) {
  auto* column = new QVBoxLayout(panel);
  column->setContentsMargins(2, 2, 2, 2);
  column->setSpacing(6);
  return column;
}

// A grid of fields: caption in column 2k, edit in column 2k+1.
inline QGridLayout* FieldGrid() {
  auto* grid = new QGridLayout;
  grid->setHorizontalSpacing(6);
  grid->setVerticalSpacing(2);
  return grid;
}

inline void PlaceField(QGridLayout* grid, const Field& field, int row, int pair = 0) {
  grid->addWidget(field.caption, row, 2 * pair);
  grid->addWidget(field.edit, row, 2 * pair + 1, Qt::AlignLeft);
}

// Items of a fixed choice list as the ChoiceGroup takes them.
template <typename T, size_t N>
std::vector<std::string> ItemList(const std::array<T, N>& items) {
  std::vector<std::string> list;
  for (const auto& item : items) list.emplace_back(std::string_view(item));
  return list;
}

}  // namespace vetra::ui
