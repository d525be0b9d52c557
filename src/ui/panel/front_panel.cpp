// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/panel/front_panel.h"

#include <QBackingStore>
#include <QEvent>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <QPaintEvent>
#include <QPainter>
#include <QPushButton>
#include <QWindow>
#include <algorithm>
#include <cmath>
#include <utility>

#include "app_model.h"
#include "chart/bar_layout.h"
#include "ui/common/look.h"
#include "ui/common/uncovered.h"
#include "link/units.h"
#include "panel/keys.h"
#include "ui/common/ui_constants.h"
#include "ui/panel/key_places.h"

namespace pv::ui {
namespace {

// Black rectangles of the display frame, the panel border and the caption marker; the
// border's height is the panel's, 318 dialog units or 261 when compact.
constexpr int kBlackRects[][4] = {
    {7, 48, 3, 66}, {98, 48, 3, 66}, {7, 46, 94, 2}, {7, 114, 94, 2}, {0, 0, 113, 2}, {10, 24, 5, 5},
};
QRect PanelBorder(int side, int height) {
  switch (side) {
    case 0: return Dlu(0, 0, 2, height);
    case 1: return Dlu(110, 0, 3, height);
    default: return Dlu(0, height - 3, 113, 3);
  }
}

// Everything the display shows comes from these texts.
// Looked at for every notification of every frame: views, not copies.
using DisplayTextViews = std::array<std::string_view, 5>;
DisplayTextViews DisplayTexts(const PanelState& s) {
  return {s.reading, s.unit, s.holdWord, s.difWord, s.recWord};
}

bool SameFrom(std::size_t first, const DisplayTextViews& texts, const std::array<std::string, 5>& shown) {
  return std::equal(texts.begin() + static_cast<std::ptrdiff_t>(first), texts.end(),
                    shown.begin() + static_cast<std::ptrdiff_t>(first));
}

// The strings keep their buffers: taking a new reading allocates nothing.
void Keep(std::optional<std::array<std::string, 5>>& shown, const DisplayTextViews& texts) {
  if (!shown) shown.emplace();
  for (std::size_t i = 0; i < texts.size(); ++i) (*shown)[i].assign(texts[i]);
}

const QString kCaption = QStringLiteral("   PRESSURE") + QString(34, QLatin1Char(' '));

// The unit label and the marks beside it.
constexpr int kUnitLabelX = 73;
constexpr int kUnitLabelY = 203;
constexpr int kSuperscriptY = 200;
constexpr int kSubscriptY = 211;

// The reading's top-left corner, and how far a glyph may reach out of its line.
constexpr int kReadingX = 23;
constexpr int kReadingY = 125;
constexpr int kOverhang = 8;

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
  const auto measured = [this](const QFont& font) {
    const QFontMetrics m(font, this);
    return DisplayFont{font, m.ascent(), m.height(), std::make_shared<GlyphRowPainter>(font, kReadingCharacters)};
  };
  reading_ = measured(ArialByCharHeight(55, 100));
  label_ = measured(ArialByCharHeight(19, 100));
  small_ = measured(ArialByCharHeight(10, 100));

  auto* caption = new QLabel(kCaption, this);
  caption->setGeometry(Dlu(8, 20, 69, 11));
  caption->setFont(label_.font);
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
    connect(b, &QPushButton::clicked, this, [this, key] { emit keyPressed(key); });
    buttons_[static_cast<int>(place.key)] = b;
  }
  syncKeys();
}

void FrontPanel::syncKeys() {
  // Called for every reading: the keys are looked at only when the model's states
  // differ from those last applied, and then only a key whose state differs is touched.
  const auto same = [](const KeyState& a, const KeyState& b) { return a.shown == b.shown && a.enabled == b.enabled; };
  if (keysApplied_ && std::equal(model_.panel.keys.begin(), model_.panel.keys.end(), keysApplied_->begin(), same))
    return;
  keysApplied_.emplace();
  std::copy(model_.panel.keys.begin(), model_.panel.keys.end(), keysApplied_->begin());
  for (int i = 0; i < kKeyCount; ++i) {
    const KeyState& s = model_.panel.keys[i];
    QPushButton* b = buttons_[i];
    if (b->isHidden() == s.shown) b->setVisible(s.shown);
    if (b->testAttribute(Qt::WA_Disabled) == s.enabled) b->setEnabled(s.enabled);
  }
}

void FrontPanel::paintEvent(QPaintEvent* event) {
  QPainter p(this);
  paintArea(p, event->region());
}

void FrontPanel::paintArea(QPainter& p, const QRegion& region) {
  noteShownTexts(region);
  if (region.intersects(displayArea())) ++displayPaints_;
  const QRect area = region.boundingRect();
  // A paint of the display alone (every reading that changes) lies on its green.
  if (!displayGreen().contains(area)) p.fillRect(area, kPanelBackground);
  paintDisplay(p, area);
  // The frame and border are controls of their own, so they lie over the display.
  p.setBackgroundMode(Qt::TransparentMode);
  for (const QRect& black : frameRects())
    if (black.intersects(area)) p.fillRect(black, Qt::black);
}

std::array<QRect, 9> FrontPanel::frameRects() const {
  static_assert(std::size(kBlackRects) + 3 == 9);
  std::array<QRect, 9> rects;
  auto next = rects.begin();
  for (const auto& r : kBlackRects) *next++ = Dlu(r[0], r[1], r[2], r[3]);
  // The panel's height as the bars' layout reserves it, less its two-pixel edges.
  const int height = ((compact_ ? kPanelCompactHeight : kPanelFullHeight) - 4) / kDialogUnit;
  for (int side = 0; side < 3; ++side) *next++ = PanelBorder(side, height);
  return rects;
}

void FrontPanel::setCompact(bool compact) {
  if (compact == compact_) return;
  compact_ = compact;
  for (const auto& place : kKeyPlaces) {
    const KeyPlace* shown = &place;
    if (compact)
      for (const auto& c : kCompactKeyPlaces)
        if (c.key == place.key) shown = &c;
    buttons_[static_cast<int>(place.key)]->setGeometry(Dlu(shown->x, shown->y, shown->w, shown->h));
  }
  update();
}

bool FrontPanel::reaches(const DisplayFont& font, int x, int y, const QRect& area) const {
  // Glyphs may overhang their line a little; the margin keeps them.
  return QRect(x - kOverhang, y - 4, width() - x + kOverhang, font.height + 8).intersects(area);
}

void FrontPanel::textAt(QPainter& p, const QRect& area, const DisplayFont& font, int x, int y,
                        std::string_view text) const {
  if (text.empty() || !reaches(font, x, y, area)) return;
  // Every text lies on the display green, filled before as far as the paint reaches
  // (its painter is clipped to `area`): drawText's opaque box and the glyphs drawn
  // over the fill give the same pixels.
  if (shapedOnce_ && font.glyphs->draw(p, QPointF(x, y + font.ascent), text, displayGreen(), area)) return;
  p.setFont(font.font);
  p.drawText(x, y + font.ascent, QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
}

template <typename Text>
void FrontPanel::forEachText(Text&& text) const {
  const PanelState& s = model_.panel;
  text(reading_, kReadingX, kReadingY, std::string_view(s.reading));
  text(label_, kUnitLabelX, kUnitLabelY, std::string_view(s.unit));
  for (const UnitLabelMark& m : UnitLabelMarks(s.unit))
    text(m.smallFont ? small_ : label_, m.x, m.y, std::string_view(&m.text, 1));
  text(label_, 22, 100, std::string_view(s.holdWord));
  text(label_, 120, 100, std::string_view(s.difWord));
  text(label_, 22, 185, std::string_view(s.recWord));
}

void FrontPanel::paintDisplay(QPainter& p, const QRect& area) const {
  p.fillRect(displayGreen() & area, kDisplayGreen);
  p.setPen(Qt::black);
  p.setBackgroundMode(Qt::OpaqueMode);
  p.setBackground(kDisplayGreen);
  forEachText([&](const DisplayFont& font, int x, int y, std::string_view text) {
    textAt(p, area, font, x, y, text);
  });
}

// A change of the reading where nothing else of the panel reaches is its glyphs
// copied from their tiles onto the display's green, without a painter, whose set-up
// alone costs more than the copy. What of the area lies off the green (a glyph's
// overhang past the last) shows the panel's grey and frame, which stay as they are
// while neither the reading shown nor the new one, its opaque box included, reaches
// there. Off the ink of both readings the area shows the green already and keeps it:
// only the rows and columns either reading inks are written, as the display's pixels
// are cold by the next reading. Empty when the change is not copied.
QRect FrontPanel::copiedPart(const QRect& area) const {
  // Only the reading may differ from what the display shows.
  if (!shapedOnce_ || !shownTexts_ || !SameFrom(1, DisplayTexts(model_.panel), *shownTexts_)) return {};
  const QRectF green = displayGreen();
  const QPointF baseline = readingBaseline();
  QRectF inked;
  for (const std::string_view reading :
       {std::string_view((*shownTexts_)[0]), std::string_view(model_.panel.reading)}) {
    const auto bounds = reading_.glyphs->bounds(reading);
    if (!bounds || !green.contains(bounds->opaque.translated(baseline))) return {};
    inked |= bounds->ink.translated(baseline);
  }
  bool others = false;
  forEachText([&](const DisplayFont& font, int x, int y, std::string_view text) {
    others |= &font != &reading_ && !text.empty() && reaches(font, x, y, area);
  });
  if (others) return {};
  QRect part = area & green.toRect() & inked.toAlignedRect();
  // The frame's bars lie over the green's edges, and no paint changes them.
  for (const QRect& black : frameRects()) {
    if (!black.intersects(part)) continue;
    if (black.top() > part.top() || black.bottom() < part.bottom()) return {};
    if (black.left() <= part.left()) {
      part.setLeft(black.right() + 1);
    } else if (black.right() >= part.right()) {
      part.setRight(black.left() - 1);
    } else {
      return {};
    }
  }
  return part;
}

void FrontPanel::setShapedOnce(bool shapedOnce) {
  if (shapedOnce == shapedOnce_) return;
  shapedOnce_ = shapedOnce;
  shownTexts_.reset();
  update(displayArea());
}

void FrontPanel::refresh() {
  syncKeys();
  // The keys repaint themselves when their state changes and the rest of the panel
  // never changes: only the display may need a repaint.
  askForDisplayPaint();
}

void FrontPanel::askForDisplayPaint() {
  if (inReading_) {
    displayAsked_ = true;
  } else if (const QRect area = changedDisplayArea(); !area.isEmpty()) {
    update(area);
  }
}

QRect FrontPanel::changedDisplayArea() const {
  const auto texts = DisplayTexts(model_.panel);
  if (shownTexts_ && SameFrom(0, texts, *shownTexts_)) return {};
  // Most readings change the reading alone; its line is then all that changes.
  const bool readingOnly = shownTexts_ && SameFrom(1, texts, *shownTexts_);
  return readingOnly ? readingChange((*shownTexts_)[0], texts[0]) : displayArea();
}

void FrontPanel::beginReading() { inReading_ = true; }

void FrontPanel::endReading() {
  inReading_ = false;
  // A reading announces each of its fields: what changed is looked at once, at its end.
  if (!std::exchange(displayAsked_, false)) return;
  const QRect area = changedDisplayArea();
  if (!area.isEmpty() && !paintDisplayNow(area)) repaint(area);
}

// A window's format is fixed once it is created, and a window made again is another.
bool FrontPanel::hasAlpha(QWindow& window) {
  if (alphaAskedOf_ != &window) {
    alphaAskedOf_ = &window;
    alpha_ = window.format().hasAlpha();
  }
  return alpha_;
}

// The display's live redraw: what changed is drawn straight into the window's backing
// store and shown, without a round through the window's repaint, whose walk of the
// widgets and set-up of a paint event cost more than the drawing. Only what of the
// display is not covered by another widget is drawn, as a paint event would.
bool FrontPanel::paintDisplayNow(const QRect& area) {
  QPoint offset;
  QWidget* top = UncoveredWindow(*this, area, offset);
  if (!top) return false;
  QBackingStore* store = top->backingStore();
  QWindow* handle = top->windowHandle();
  if (!store || !handle || !handle->isExposed() || !isVisible() || !updatesEnabled() || top->isMinimized())
    return false;
  // A copy is begun and shown as the part of the area it writes: a surface may clear,
  // or not carry over, what a paint is said to cover. A window with alpha has what a
  // paint begins cleared to transparent: it is painted.
  if (const QRect part = hasAlpha(*handle) ? QRect() : copiedPart(area); !part.isEmpty()) {
    const QRect onWindow = part.translated(offset);
    store->beginPaint(onWindow);
    QPaintDevice* surface = store->paintDevice();
    const bool copied = surface && surface->devType() == QInternal::Image &&
                        reading_.glyphs->copy(static_cast<QImage&>(*surface), offset, readingBaseline(),
                                              model_.panel.reading, part, QColor(Qt::black).rgba(),
                                              kDisplayGreen.rgba());
    store->endPaint();
    if (copied) {
      store->flush(onWindow, handle);
      noteShownTexts(area);
      ++displayPaints_;
      return true;
    }
  }
  const QRect onWindow = area.translated(offset);
  store->beginPaint(onWindow);
  QPaintDevice* surface = store->paintDevice();
  if (surface) {
    QPainter p(surface);
    p.translate(offset);
    p.setClipRect(area);
    paintArea(p, area);
  }
  store->endPaint();
  if (!surface) return false;
  store->flush(onWindow, handle);
  return true;
}

QPointF FrontPanel::readingBaseline() const { return QPointF(kReadingX, kReadingY + reading_.ascent); }

QRect FrontPanel::displayArea() const { return QRect(14, 92, width() - 14, 142); }

QRect FrontPanel::displayGreen() const { return QRect(20, 95, width() - 45, 135); }

QRect FrontPanel::readingLine() const {
  // The reading is drawn at (23, 125) in its own font, opaque: one line of that font
  // (and a little more for glyphs that overhang) holds every pixel it touches.
  return QRect(14, kReadingY, width() - 14, reading_.height + 4) & displayArea();
}

QRect FrontPanel::readingSpan(double left, double right) const {
  const int from = kReadingX + static_cast<int>(std::floor(left)) - kOverhang;
  const int to = kReadingX + static_cast<int>(std::ceil(right)) + kOverhang;
  return QRect(QPoint(from, kReadingY), QPoint(to, kReadingY + reading_.height + 3)) & readingLine();
}

QRect FrontPanel::readingArea(std::string_view reading) const {
  const std::optional<double> advance = reading.empty() ? 0.0 : reading_.glyphs->advance(reading);
  return advance ? readingSpan(0.0, *advance) : readingLine();
}

QRect FrontPanel::readingChange(std::string_view before, std::string_view after) const {
  // Most new readings differ from the last in their last digits only: the glyphs
  // before those stay where they were, and only what the others can touch is painted.
  const auto span = reading_.glyphs->changed(before, after);
  if (!span) return readingArea(before) | readingArea(after);
  return span->right <= span->left ? QRect() : readingSpan(span->left, span->right);
}

void FrontPanel::noteShownTexts(const QRegion& painted) {
  // A paint's region is most often one rectangle: it is then looked at without
  // making regions of its own.
  const auto covers = [&painted](const QRect& r) {
    return painted.rectCount() == 1 ? painted.boundingRect().contains(r) : QRegion(r).subtracted(painted).isEmpty();
  };
  const QRect display = displayArea();
  if (!painted.intersects(display)) return;
  const auto texts = DisplayTexts(model_.panel);
  if (covers(display)) {
    Keep(shownTexts_, texts);
    return;
  }
  // A part of the display was painted from the current texts. What it shows is known
  // only if every text that differs from the last one shown was painted in full: the
  // reading within its line, the other texts within the whole display.
  if (!shownTexts_) return;
  for (std::size_t i = 0; i < texts.size(); ++i) {
    if (texts[i] == (*shownTexts_)[i]) continue;
    if (!covers(i == 0 ? readingChange((*shownTexts_)[0], texts[0]) : display)) {
      shownTexts_.reset();
      return;
    }
  }
  Keep(shownTexts_, texts);
}

void FrontPanel::redrawField(PanelField field) {
  // Every field lies inside the display window. The repaint is asked for, not done
  // here: it comes when the notification being handled returns, before the next one
  // is read, together with whatever else the reading changed in the window, so that
  // the window is painted and flushed once per reading. A reading announces six
  // fields, and a steady pressure repeats the same texts many times a second: nothing
  // is asked for when the display already shows the texts.
  (void)field;
  askForDisplayPaint();
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
