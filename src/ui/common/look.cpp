// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/common/look.h"

#include <QPainter>
#include <QPalette>
#include <QPixmap>
#include <QWidget>
#include <functional>

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
  return QIcon(QStringLiteral(":/icons/pneuvista.png"));
}

QFont ArialFont() {
  // Fontconfig maps Arial to Liberation Sans through its metric aliases, but not where
  // they are not configured; its fallback is then the default sans face (often DejaVu
  // Sans, about 12 % wider), and the reading runs past its box. The substitution asks Qt
  // for the metric-compatible faces before any fallback.
  static const bool substituted = [] {
    QFont::insertSubstitutions(QStringLiteral("Arial"), {QStringLiteral("Liberation Sans"), QStringLiteral("Arimo")});
    return true;
  }();
  (void)substituted;
  QFont f(QStringLiteral("Arial"));
  f.setStyleHint(QFont::SansSerif);
  return f;
}

QFont ArialByCharHeight(int pixels, int weight) {
  QFont f = ArialFont();
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

namespace {

// An icon drawn by the program at the toolbar and menu sizes.
QIcon DrawnIcon(const std::function<void(QPainter&, int size)>& draw) {
  QIcon icon;
  for (int size : {16, 24, 32, 48}) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    draw(p, size);
    p.end();
    icon.addPixmap(pixmap);
  }
  return icon;
}

}  // namespace

QIcon PowerSymbolIcon() {
  return DrawnIcon([](QPainter& p, int size) {
    const qreal pen = size / 8.0;
    p.setPen(QPen(QColor(48, 48, 48), pen, Qt::SolidLine, Qt::RoundCap));
    const QRectF ring(pen, pen, size - 2 * pen, size - 2 * pen);
    // Qt's angles are in sixteenths of a degree, counter-clockwise from three o'clock:
    // the ring leaves 60 degrees open around twelve o'clock.
    p.drawArc(ring, 120 * 16, 300 * 16);
    p.drawLine(QPointF(size / 2.0, pen * 0.5), QPointF(size / 2.0, ring.center().y()));
  });
}

QIcon HelpSymbolIcon() {
  return DrawnIcon([](QPainter& p, int size) {
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(40, 96, 168));
    p.drawEllipse(QRectF(0.5, 0.5, size - 1.0, size - 1.0));
    QFont font = p.font();
    font.setBold(true);
    font.setPixelSize(size * 3 / 4);
    p.setFont(font);
    p.setPen(Qt::white);
    p.drawText(QRectF(0, 0, size, size), Qt::AlignCenter, QStringLiteral("?"));
  });
}

}  // namespace pv::ui
