#pragma once
// The cursor bar under the chart: value and time at cursors A and B, and the maximum,
// minimum and average between them, with the Clear button.
#include <QWidget>
#include <array>
#include <functional>
#include <string>

class QLineEdit;
class QPushButton;

namespace pv::ui {

// Order of the nine texts: A value, A time, B value, B time, maximum, minimum,
// maximum time, minimum time, average (edit ids 1017..1025 as listed in kCursorBoxIds).
inline constexpr std::array<int, 9> kCursorBoxIds{1017, 1018, 1019, 1020, 1021, 1022, 1024, 1023, 1025};

class CursorBar : public QWidget {
  Q_OBJECT
 public:
  explicit CursorBar(QWidget* parent);

  std::function<void()> onClear;

  void transferToControls(const std::array<std::string, 9>& texts, bool clearEnabled);
  QLineEdit* box(int id) const;
  QPushButton* clearButton() const { return clear_; }

 private:
  std::array<QLineEdit*, 9> boxes_{};
  QPushButton* clear_ = nullptr;
};

}  // namespace pv::ui
