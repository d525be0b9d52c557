#include "ui/panel/front_panel.h"

#include <QEvent>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <QPaintEvent>
#include <QPainter>
#include <QPushButton>
#include <algorithm>

#include "app_model.h"
#include "ui/common/look.h"
#include "link/units.h"
#include "panel/keys.h"
#include "ui/common/ui_constants.h"

namespace pv::ui {
namespace {

// Where each key sits and how it looks; its caption comes from the key table.
struct KeyPlace {
  Key key;
  int x, y, w, h;    // dialog units
  bool defaultLook;  // drawn as a default button (Enter presses nothing on the panel)
};

constexpr KeyPlace kKeyPlaces[kKeyCount] = {
    {Key::Hold, 11, 211, 40, 14, true},   {Key::Unhold, 11, 211, 40, 14, false},
    {Key::Rec, 56, 211, 40, 14, false},   {Key::Unrec, 56, 211, 40, 14, false},
    {Key::Light, 33, 252, 38, 14, false}, {Key::Zero, 33, 286, 38, 14, false},
    {Key::Units, 32, 134, 40, 14, true},  {Key::Dif, 33, 170, 38, 14, false},
    {Key::Undif, 33, 170, 38, 14, false},
};

// Black rectangles of the display frame, the panel border and the caption marker.
constexpr int kBlackRects[][4] = {
    {7, 48, 3, 66}, {98, 48, 3, 66}, {7, 46, 94, 2},    {7, 114, 94, 2},  {0, 0, 2, 318},
    {0, 315, 113, 3}, {0, 0, 113, 2}, {110, 0, 3, 318}, {10, 24, 5, 5},
};

// Everything the display shows comes from these texts.
std::array<std::string, 5> DisplayTexts(const PanelState& s) {
  return {s.reading, s.unit, s.holdWord, s.difWord, s.recWord};
}

const QString kCaption = QStringLiteral("   PRESSURE") + QString(34, QLatin1Char(' '));

// Text with its top-left corner at (x, y), opaque on the display green.
void TextAt(QPainter& p, int x, int y, const QString& text) {
  if (text.isEmpty()) return;
  QFontMetrics m(p.font());
  p.drawText(x, y + m.ascent(), text);
}

// The unit label and the marks beside it.
constexpr int kUnitLabelX = 73;
constexpr int kUnitLabelY = 203;
constexpr int kSuperscriptY = 200;
constexpr int kSubscriptY = 211;

}  // namespace

std::vector<UnitLabelMark> UnitLabelMarks(std::string_view label) {
  const UnitInfo* unit = UnitLabelled(label);
  if (!unit) return {};
  const UnitMark& m = unit->mark;
  switch (m.kind) {
    case MarkKind::None:
      return {};
    case MarkKind::Squared:
      return {{kUnitLabelX + m.panelDx, kSuperscriptY, '2', true}};
    case MarkKind::Water:
      return {{kUnitLabelX + m.panelDx, kSubscriptY, '2', true},
              {kUnitLabelX + m.panelODx, kUnitLabelY, 'O', false}};
  }
  return {};
}

FrontPanel::FrontPanel(const AppModel& model, QWidget* parent) : QWidget(parent), model_(model) {
  setObjectName(QStringLiteral("FrontPanel"));
  setAttribute(Qt::WA_OpaquePaintEvent);
  fontReading_ = ArialByCharHeight(55, 100);
  fontLabel_ = ArialByCharHeight(19, 100);
  fontTitle_ = ArialByCharHeight(25, 100);
  fontSmall_ = ArialByCharHeight(10, 100);

  auto* caption = new QLabel(kCaption, this);
  caption->setGeometry(Dlu(8, 20, 69, 11));
  caption->setFont(fontLabel_);
  caption->setAutoFillBackground(true);
  QPalette pal = caption->palette();
  pal.setColor(QPalette::Window, Qt::black);
  pal.setColor(QPalette::WindowText, Qt::white);
  caption->setPalette(pal);

  for (const auto& place : kKeyPlaces) {
    auto* b = new QPushButton(QString::fromLatin1(KeyRowOf(place.key).caption), this);
    b->setGeometry(Dlu(place.x, place.y, place.w, place.h));
    b->setDefault(place.defaultLook);
    b->setFocusPolicy(Qt::StrongFocus);
    b->installEventFilter(this);
    const Key key = place.key;
    connect(b, &QPushButton::clicked, this, [this, key] {
      if (onKey) onKey(key);
    });
    buttons_[static_cast<int>(place.key)] = b;
  }
  syncKeys();
}

void FrontPanel::syncKeys() {
  for (int i = 0; i < kKeyCount; ++i) {
    const KeyState& s = model_.panel.keys[i];
    buttons_[i]->setVisible(s.shown);
    buttons_[i]->setEnabled(s.enabled);
  }
}

void FrontPanel::paintEvent(QPaintEvent* event) {
  noteShownTexts(event->region());
  QPainter p(this);
  p.fillRect(rect(), kPanelBackground);
  paintDisplay(p);
  // The frame and border are controls of their own, so they lie over the display.
  p.setBackgroundMode(Qt::TransparentMode);
  for (const auto& r : kBlackRects) p.fillRect(Dlu(r[0], r[1], r[2], r[3]), Qt::black);
}

void FrontPanel::paintDisplay(QPainter& p) const {
  const PanelState& s = model_.panel;
  p.fillRect(QRect(20, 95, width() - 45, 135), kDisplayGreen);
  p.setPen(Qt::black);
  p.setBackgroundMode(Qt::OpaqueMode);
  p.setBackground(kDisplayGreen);
  p.setFont(fontReading_);
  TextAt(p, 23, 125, QString::fromStdString(s.reading));
  p.setFont(fontLabel_);
  TextAt(p, kUnitLabelX, kUnitLabelY, QString::fromStdString(s.unit));
  paintUnitMarks(p);
  p.setFont(fontLabel_);
  TextAt(p, 22, 100, QString::fromStdString(s.holdWord));
  TextAt(p, 120, 100, QString::fromStdString(s.difWord));
  TextAt(p, 22, 185, QString::fromStdString(s.recWord));
}

void FrontPanel::paintUnitMarks(QPainter& p) const {
  for (const UnitLabelMark& m : UnitLabelMarks(model_.panel.unit)) {
    p.setFont(m.smallFont ? fontSmall_ : fontLabel_);
    TextAt(p, m.x, m.y, QString(QLatin1Char(m.text)));
  }
}

void FrontPanel::refresh() {
  syncKeys();
  // The keys repaint themselves when their state changes and the rest of the panel
  // never changes: only the display may need a repaint.
  if (!shownTexts_ || *shownTexts_ != DisplayTexts(model_.panel)) update(displayArea());
}

QRect FrontPanel::displayArea() const { return QRect(14, 92, width() - 14, 142); }

QRect FrontPanel::readingLine() const {
  // The reading is drawn at (23, 125) in its own font, opaque: one line of that font
  // (and a little more for glyphs that overhang) holds every pixel it touches.
  return QRect(14, 125, width() - 14, QFontMetrics(fontReading_, this).height() + 4) & displayArea();
}

void FrontPanel::noteShownTexts(const QRegion& painted) {
  const QRegion display(displayArea());
  if (!painted.intersects(display)) return;
  const auto texts = DisplayTexts(model_.panel);
  if (display.subtracted(painted).isEmpty()) {
    shownTexts_ = texts;
    return;
  }
  // A part of the display was painted from the current texts. What it shows is known
  // only if every text that differs from the last one shown was painted in full: the
  // reading within its line, the other texts within the whole display.
  if (!shownTexts_) return;
  for (std::size_t i = 0; i < texts.size(); ++i) {
    if (texts[i] == (*shownTexts_)[i]) continue;
    const QRect field = i == 0 ? readingLine() : displayArea();
    if (!QRegion(field).subtracted(painted).isEmpty()) {
      shownTexts_.reset();
      return;
    }
  }
  shownTexts_ = texts;
}

void FrontPanel::redrawField(PanelField field) {
  // Every field lies inside the display window: repainting that area at once shows
  // the change before the next notification is handled. A reading announces six
  // fields, and a steady pressure repeats the same texts many times a second: the
  // display is repainted once for the first field that differs from what it shows,
  // and not at all when nothing differs.
  (void)field;
  const auto texts = DisplayTexts(model_.panel);
  if (shownTexts_ && *shownTexts_ == texts) return;
  // Most notifications change the reading alone; its line is then all that changes.
  const bool readingOnly = shownTexts_ && std::equal(texts.begin() + 1, texts.end(), shownTexts_->begin() + 1);
  repaint(readingOnly ? readingLine() : displayArea());
}

bool FrontPanel::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease) {
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_Escape || key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) return true;
  }
  return QWidget::eventFilter(watched, event);
}

void FrontPanel::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape || event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    event->accept();
    return;
  }
  QWidget::keyPressEvent(event);
}

}  // namespace pv::ui
