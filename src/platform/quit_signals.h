#pragma once
// SIGINT and SIGTERM delivered as a Qt signal on the event loop, so that a program
// stopped from a terminal or a script ends through its normal close path.
#include <QObject>

class QSocketNotifier;

namespace pv {

class QuitSignals : public QObject {
  Q_OBJECT
 public:
  explicit QuitSignals(QObject* parent = nullptr);
  ~QuitSignals() override;

 signals:
  void quitRequested(int signalNumber);

 private:
  QSocketNotifier* notifier_ = nullptr;
};

}  // namespace pv
