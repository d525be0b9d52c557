// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/holdtest/hold_result_card.h"

#include <QLabel>
#include <QTextDocument>
#include <QVBoxLayout>

#include "holdtest/hold_card.h"

namespace pv::ui {
namespace {

constexpr int kVerdictPointSize = 20;
const QColor kPassedColour(0, 130, 0);
const QColor kNotPassedColour(200, 0, 0);
const QColor kCheckColour(160, 80, 0);

QLabel* WrappedLabel(QWidget* parent) {
  auto* label = new QLabel(parent);
  label->setWordWrap(true);
  label->setTextInteractionFlags(Qt::TextSelectableByMouse);
  return label;
}

QString Escaped(const std::string& text) {
  return QString::fromStdString(text).toHtmlEscaped();
}

}  // namespace

HoldResultCard::HoldResultCard(QWidget* parent) : QWidget(parent) {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  status_ = WrappedLabel(this);
  check_ = WrappedLabel(this);
  check_->setObjectName(QStringLiteral("HoldRecordCheck"));
  QPalette warn = check_->palette();
  warn.setColor(QPalette::WindowText, kCheckColour);
  check_->setPalette(warn);
  check_->hide();
  verdict_ = new QLabel(this);
  verdict_->setObjectName(QStringLiteral("HoldVerdict"));
  QFont big = verdict_->font();
  big.setPointSize(kVerdictPointSize);
  big.setBold(true);
  verdict_->setFont(big);
  reasons_ = WrappedLabel(this);
  reasons_->setObjectName(QStringLiteral("HoldReasons"));
  rows_ = WrappedLabel(this);
  rows_->setTextFormat(Qt::RichText);
  checkpoints_ = WrappedLabel(this);
  checkpoints_->setTextFormat(Qt::RichText);
  for (QWidget* w :
       {static_cast<QWidget*>(status_), static_cast<QWidget*>(check_), static_cast<QWidget*>(verdict_),
        static_cast<QWidget*>(reasons_), static_cast<QWidget*>(rows_), static_cast<QWidget*>(checkpoints_)})
    layout->addWidget(w);
  layout->addStretch(1);
  clear(QStringLiteral("No result yet."));
}

void HoldResultCard::clear(const QString& why) {
  verdict_->clear();
  reasons_->setText(why);
  rows_->clear();
  checkpoints_->clear();
}

void HoldResultCard::showStatus(const QString& status) {
  status_->setText(status);
  status_->setVisible(!status.isEmpty());
}

void HoldResultCard::showCheck(const QStringList& differences) {
  check_->setText(differences.join(QLatin1Char('\n')));
  check_->setVisible(!differences.isEmpty());
}

void HoldResultCard::showOutcome(const HoldCriteria& criteria, const HoldOutcome& outcome) {
  if (outcome.error != HoldError::None) {
    clear(QString::fromStdString(outcome.message));
    return;
  }
  const HoldCard card = HoldCardOf(criteria, outcome.result);
  verdict_->setText(QString::fromStdString(card.verdict));
  QPalette palette = verdict_->palette();
  palette.setColor(QPalette::WindowText, card.passed ? kPassedColour : kNotPassedColour);
  verdict_->setPalette(palette);
  QStringList reasons;
  for (const std::string& reason : card.reasons) reasons << QString::fromStdString(reason);
  reasons_->setText(reasons.join(QLatin1Char('\n')));

  QString rows = QStringLiteral("<table cellspacing='2'>");
  for (const HoldCardRow& row : card.rows) {
    QString value = Escaped(row.value);
    if (row.label == "Change") value = QStringLiteral("<b>%1</b> %2").arg(Escaped(card.arrow), value);
    rows += QStringLiteral("<tr><td>%1:</td><td>%2</td></tr>").arg(Escaped(row.label), value);
  }
  rows_->setText(rows + QStringLiteral("</table>"));

  QString points = QStringLiteral(
      "<table cellspacing='2'><tr><th>Checkpoint</th><th>Value</th><th>Change</th><th></th></tr>");
  for (const HoldCheckpointText& c : card.checkpoints)
    points +=
        QStringLiteral("<tr><td>%1</td><td align='right'>%2</td><td align='right'>%3</td><td>%4</td></tr>")
            .arg(Escaped(c.time), Escaped(c.value), Escaped(c.change),
                 c.steeper ? QStringLiteral("<b>steeper</b>") : QString());
  checkpoints_->setText(points + QStringLiteral("</table>"));
}

QString HoldResultCard::verdictText() const {
  return verdict_->text();
}
QString HoldResultCard::reasonsText() const {
  return reasons_->text();
}
QString HoldResultCard::statusText() const {
  return status_->text();
}

QString HoldResultCard::checkText() const {
  return check_->text();
}

QString HoldResultCard::detailsText() const {
  QTextDocument doc;
  doc.setHtml(rows_->text() + checkpoints_->text());
  return doc.toPlainText();
}

}  // namespace pv::ui
