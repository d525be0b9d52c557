#include "ui/common/look.h"

#include <QPalette>
#include <QWidget>

#include "ui/common/ui_constants.h"

// The resources of a static library are registered only when asked for; the macro
// names a function at global scope.
static void RegisterIconResource() {
  Q_INIT_RESOURCE(pneuvista);
}

namespace pv::ui {

QIcon AppIcon() {
  static const bool registered = (RegisterIconResource(), true);
  (void)registered;
  return QIcon(QStringLiteral(":/icons/pneuvista.xpm"));
}

QFont ArialByCharHeight(int pixels, int weight) {
  QFont f(QStringLiteral("Arial"));
  f.setStyleHint(QFont::SansSerif);
  f.setPixelSize(pixels);
  f.setWeight(static_cast<QFont::Weight>(weight));
  return f;
}

void UseBarLook(QWidget& bar) {
  bar.setAutoFillBackground(true);
  QPalette pal = bar.palette();
  pal.setColor(QPalette::Window, kBarBackground);
  pal.setColor(QPalette::Base, kBarBackground);
  pal.setColor(QPalette::WindowText, Qt::black);
  pal.setColor(QPalette::Text, Qt::black);
  bar.setPalette(pal);
}

QFont BarFont() { return ArialByCharHeight(14, 500); }

QIcon ThemeIcon(const char* name, QStyle::StandardPixmap fallback, const QStyle* style) {
  return QIcon::fromTheme(QString::fromLatin1(name), style->standardIcon(fallback));
}

}  // namespace pv::ui
