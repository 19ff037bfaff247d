#include "ui/palettes.h"

#include <QStyle>
#include <QStyleFactory>
#include <memory>

namespace vetra::ui {

QPalette LightPalette() {
  const std::unique_ptr<QStyle> fusion(QStyleFactory::create("Fusion"));
  return fusion ? fusion->standardPalette() : QPalette();
}

QPalette DarkPalette() {
  const QColor window(0x35, 0x35, 0x35), base(0x25, 0x25, 0x25), text(0xee, 0xee, 0xee);
  const QColor disabledText(0x9a, 0x9a, 0x9a), highlight(0x1e, 0x6b, 0xb8);
  QPalette p;
  p.setColor(QPalette::Window, window);
  p.setColor(QPalette::WindowText, text);
  p.setColor(QPalette::Base, base);
  p.setColor(QPalette::AlternateBase, window);
  p.setColor(QPalette::ToolTipBase, base);
  p.setColor(QPalette::ToolTipText, text);
  p.setColor(QPalette::PlaceholderText, disabledText);
  p.setColor(QPalette::Text, text);
  p.setColor(QPalette::Button, window);
  p.setColor(QPalette::ButtonText, text);
  p.setColor(QPalette::BrightText, QColor(0xff, 0x6b, 0x6b));
  p.setColor(QPalette::Light, window.lighter(150));
  p.setColor(QPalette::Midlight, window.lighter(125));
  p.setColor(QPalette::Mid, window.darker(120));
  p.setColor(QPalette::Dark, window.darker(150));
  p.setColor(QPalette::Shadow, Qt::black);
  p.setColor(QPalette::Link, QColor(0x6c, 0xb4, 0xff));
  p.setColor(QPalette::LinkVisited, QColor(0xb4, 0x9c, 0xff));
  p.setColor(QPalette::Highlight, highlight);
  p.setColor(QPalette::HighlightedText, Qt::white);
  for (const QPalette::ColorRole role :
       {QPalette::WindowText, QPalette::Text, QPalette::ButtonText}) {
    p.setColor(QPalette::Disabled, role, disabledText);
  }
  p.setColor(QPalette::Disabled, QPalette::Base, window);
  p.setColor(QPalette::Disabled, QPalette::Highlight, QColor(0x50, 0x50, 0x50));
  return p;
}

}  // namespace vetra::ui
