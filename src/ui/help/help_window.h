// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The user guide inside the program: a browser over the guide compiled into the
// program's resources, so help needs neither a web browser nor a network. There is one
// such window; Help > Contents shows it again and raises it, and its place on the
// screen is kept in the configuration file.
#include <QUrl>
#include <QWidget>
#include <string>

class QTextBrowser;
class QToolBar;

namespace pv::ui {

class HelpWindow : public QWidget {
  Q_OBJECT
 public:
  HelpWindow(std::string configPath, QWidget* parent);
  ~HelpWindow() override;

  // The guide's first page.
  static QUrl homeUrl();
  QTextBrowser* browser() const { return browser_; }
  QToolBar* toolBar() const { return toolBar_; }
  // Shows the window where it was last left, or brings it to the front.
  void showAndRaise();

 protected:
  void hideEvent(QHideEvent* event) override;

 private:
  void createToolBar();
  void restorePlace();
  void keepPlace();

  std::string configPath_;
  QTextBrowser* browser_ = nullptr;
  QToolBar* toolBar_ = nullptr;
  bool placed_ = false;
};

}  // namespace pv::ui
