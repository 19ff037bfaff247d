#include "ui/about_box.h"

#include "ui/texts.h"

namespace vetra::ui {

QString AboutText() {
  // __DATE__ follows SOURCE_DATE_EPOCH where the build sets it (reproducible packages).
  return QString(kAboutText) +
         QString("\n\nVersion %1, built %2.\nQt %3 (running on Qt %4).\n\n")
             .arg(VETRA_VERSION, __DATE__, QT_VERSION_STR, qVersion()) +
         "Licences:\n"
         "Vetra Viewer: MIT License.\n"
         "Qt 6: GNU Lesser General Public License v3.\n"
         "SimpleIni: MIT License.\n"
         "ICU (SimpleIni's text conversion on Linux): Unicode License V3.";
}

}  // namespace vetra::ui
