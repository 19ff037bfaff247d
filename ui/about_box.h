#pragma once
// The About box's text: the program's own lines, then the version and build date, the Qt it was
// built with and runs on, and the licences of the program and the libraries it uses.

#include <QString>

namespace vetra::ui {

QString AboutText();

}  // namespace vetra::ui
