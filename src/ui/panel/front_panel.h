// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The front panel: the meter's display (reading, unit, HOLD/DIF/REC words) and its
// nine keys, mirroring the meter and sending its key frames.
#include <QFont>
#include <QPointer>
#include <QRegion>
#include <QWidget>
#include <array>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model_observer.h"
#include "panel/panel_state.h"
#include "ui/panel/glyph_row_painter.h"

class QPushButton;

namespace pv {
struct AppModel;
}

namespace pv::ui {

class FrontPanel : public QWidget {
  Q_OBJECT
 public:
  FrontPanel(const AppModel& model, QWidget* parent);

  // Takes over the key states of the model (the data transfer to the controls).
  void syncKeys();
  // Takes over the key states and, when they differ from what the display shows, the
  // display texts (repainted with the next update).
  void refresh();
  // Asks for a repaint of the display field's area, unless the display already shows
  // it; the paint comes as soon as the notification being handled returns.
  void redrawField(PanelField field);

  // While the window handles a notification from the meter, the display's repaints are
  // gathered and done at its end, at once: one paint and flush per reading, without a
  // round through the event loop, which would cost the process a wake-up of its own.
  void beginReading();
  void endReading();

  // LIGHT and ZERO side by side under HOLD and REC, and the border drawn closer, for a
  // window too short for the panel's full height.
  void setCompact(bool compact);
  bool compact() const { return compact_; }

  // The display's texts of digits, signs and spaces are drawn from glyphs shaped once
  // per font (the default), or shaped by drawText for every paint as any other text:
  // the same pixels, at a fraction of the cost.
  void setShapedOnce(bool shapedOnce);

  QPushButton* keyButton(Key k) const { return buttons_[static_cast<int>(k)]; }
  // Paints of the display, in a paint event or drawn at a reading's end.
  int displayPaints() const { return displayPaints_; }
  const QFont& smallFont() const { return small_.font; }

 signals:
  // A key was clicked; the owner runs the key's logic.
  void keyPressed(Key key);

 protected:
  void paintEvent(QPaintEvent*) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  // A font the display draws in, with its ascent and line height measured once and
  // its glyphs of the reading's characters shaped once.
  struct DisplayFont {
    QFont font;
    int ascent = 0;
    int height = 0;
    std::shared_ptr<const GlyphRowPainter> glyphs;
  };

  // Paints `region` of the panel, as a paint event does.
  void paintArea(QPainter& p, const QRegion& region);
  bool paintDisplayNow(const QRect& area);
  // Whether the window carries alpha; asked of the window once, not for every reading.
  bool hasAlpha(QWindow& window);
  // Paints what of the display lies in `area` (the paint's bounding rectangle).
  void paintDisplay(QPainter& p, const QRect& area) const;
  // Calls `text(font, x, y, text)` for each text of the display, top-left corners.
  template <typename Text>
  void forEachText(Text&& text) const;
  // Whether a line of that font at (x, y) can reach `area`.
  bool reaches(const DisplayFont& font, int x, int y, const QRect& area) const;
  // Text with its top-left corner at (x, y), opaque on the display green; skipped when
  // it cannot reach `area`.
  void textAt(QPainter& p, const QRect& area, const DisplayFont& font, int x, int y, std::string_view text) const;
  // The part of `area` that a copy of the reading writes, when only the reading changes
  // there and only it shows; empty otherwise.
  QRect copiedPart(const QRect& area) const;
  // Where the reading's baseline starts.
  QPointF readingBaseline() const;
  // The black rectangles of the display's frame and the panel's border.
  std::array<QRect, 9> frameRects() const;
  QRect displayArea() const;
  // The display's green, filled before any text is drawn on it.
  QRect displayGreen() const;
  QRect readingLine() const;
  // What of the reading's line that reading can touch: its advance and the overhang of
  // its glyphs, or the whole line when its advance is not known at once.
  QRect readingArea(std::string_view reading) const;
  // What of the reading's line glyphs between those advances can touch, overhang included.
  QRect readingSpan(double left, double right) const;
  // What of the reading's line differs between the two readings.
  QRect readingChange(std::string_view before, std::string_view after) const;
  // Asks for a repaint of what of the display differs from the texts it shows.
  void askForDisplayPaint();
  QRect changedDisplayArea() const;
  // Keeps track of what the display shows after a paint of the given region.
  void noteShownTexts(const QRegion& painted);

  const AppModel& model_;
  DisplayFont reading_, label_, small_;
  std::array<QPushButton*, kKeyCount> buttons_{};
  std::optional<std::array<KeyState, kKeyCount>> keysApplied_;
  // The display texts as the last paint of the whole display area drew them; empty
  // when the display may show something else (never painted, or painted in part).
  std::optional<std::array<std::string, 5>> shownTexts_;
  bool inReading_ = false;
  bool shapedOnce_ = true;
  bool compact_ = false;
  bool displayAsked_ = false;  // a field changed in the reading being handled
  int displayPaints_ = 0;
  QPointer<QWindow> alphaAskedOf_;
  bool alpha_ = false;
};

// A mark drawn beside the panel's unit label: a "2" in the small font, or the "O" of a
// water-column unit in the label's font. Top-left corners in panel pixels.
struct UnitLabelMark {
  int x, y;
  char text;
  bool smallFont;  // else the label's font
};

// The marks the unit table gives the unit with that panel label; none for other texts.
std::vector<UnitLabelMark> UnitLabelMarks(std::string_view label);

}  // namespace pv::ui
