// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/help/help_window.h"

#include <QAction>
#include <QGuiApplication>
#include <QScreen>
#include <QStyle>
#include <QTextBrowser>
#include <QToolBar>
#include <QVBoxLayout>

#include "platform/config_file.h"
#include "ui/common/look.h"

// The resources of a static library are registered only when asked for; the macro
// names a function at global scope.
static void RegisterGuideResource() {
  Q_INIT_RESOURCE(guide);
}

namespace pv::ui {
namespace {

// Wide enough for the guide's screenshots of the main window.
constexpr QSize kFirstSize(1080, 760);

// A kept place is used only while some screen still shows its title bar.
bool OnSomeScreen(const QRect& place) {
  const QRect titleBar(place.topLeft(), QSize(place.width(), 30));
  for (const QScreen* screen : QGuiApplication::screens())
    if (screen->availableGeometry().intersects(titleBar)) return true;
  return false;
}

}  // namespace

HelpWindow::HelpWindow(std::string configPath, QWidget* parent)
    : QWidget(parent, Qt::Window), configPath_(std::move(configPath)) {
  static const bool registered = (RegisterGuideResource(), true);
  (void)registered;
  browser_ = new QTextBrowser(this);
  // Links into the guide stay here; a web address goes to the desktop's browser.
  browser_->setOpenExternalLinks(true);
  createToolBar();
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(toolBar_);
  layout->addWidget(browser_);
  auto showTitle = [this] { setWindowTitle(browser_->documentTitle()); };
  connect(browser_, &QTextBrowser::sourceChanged, this, showTitle);
  browser_->setSource(homeUrl());
  showTitle();
}

HelpWindow::~HelpWindow() {
  // The program may end with the window open: it is destroyed without being hidden first.
  if (isVisible()) keepPlace();
}

QUrl HelpWindow::homeUrl() { return QUrl(QStringLiteral("qrc:/guide/index.html")); }

void HelpWindow::createToolBar() {
  toolBar_ = new QToolBar(this);
  toolBar_->setIconSize(QSize(16, 16));
  toolBar_->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
  const QStyle* s = style();
  QAction* back = toolBar_->addAction(ThemeIcon("go-previous", QStyle::SP_ArrowBack, s), QStringLiteral("Back"));
  QAction* forward =
      toolBar_->addAction(ThemeIcon("go-next", QStyle::SP_ArrowForward, s), QStringLiteral("Forward"));
  QAction* home = toolBar_->addAction(ThemeIcon("go-home", QStyle::SP_DirHomeIcon, s), QStringLiteral("Contents"));
  back->setShortcut(QKeySequence::Back);
  forward->setShortcut(QKeySequence::Forward);
  back->setEnabled(false);
  forward->setEnabled(false);
  connect(back, &QAction::triggered, browser_, &QTextBrowser::backward);
  connect(forward, &QAction::triggered, browser_, &QTextBrowser::forward);
  connect(home, &QAction::triggered, browser_, &QTextBrowser::home);
  connect(browser_, &QTextBrowser::backwardAvailable, back, &QAction::setEnabled);
  connect(browser_, &QTextBrowser::forwardAvailable, forward, &QAction::setEnabled);

  // Close at the far end; Escape and Ctrl+W close the guide as they close other windows.
  auto* gap = new QWidget(toolBar_);
  gap->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
  toolBar_->addWidget(gap);
  QAction* closeGuide =
      toolBar_->addAction(ThemeIcon("window-close", QStyle::SP_DialogCloseButton, s), QStringLiteral("Close"));
  closeGuide->setShortcuts({QKeySequence(Qt::Key_Escape), QKeySequence(Qt::CTRL | Qt::Key_W)});
  closeGuide->setShortcutContext(Qt::WindowShortcut);
  connect(closeGuide, &QAction::triggered, this, &QWidget::close);
}

void HelpWindow::showAndRaise() {
  if (!placed_) restorePlace();
  placed_ = true;
  showNormal();
  raise();
  activateWindow();
}

void HelpWindow::restorePlace() {
  const QScreen* screen = QGuiApplication::primaryScreen();
  resize(screen ? kFirstSize.boundedTo(screen->availableGeometry().size() * 9 / 10) : kFirstSize);
  const auto kept = ReadHelpWindowPlace(configPath_);
  if (!kept) return;
  const QRect place(kept->x, kept->y, kept->width, kept->height);
  if (OnSomeScreen(place))
    setGeometry(place);
  else
    resize(place.size());
}

void HelpWindow::hideEvent(QHideEvent* event) {
  QWidget::hideEvent(event);
  keepPlace();
}

void HelpWindow::keepPlace() {
  // Where the window was is a convenience: a file that cannot be written costs only
  // the place, so it is not reported.
  const QRect g = geometry();
  WriteHelpWindowPlace(configPath_, {g.x(), g.y(), g.width(), g.height()});
}

}  // namespace pv::ui
