#pragma once
// "Compliance Result": the outcome of testing one LAS file against the
// content specification, with one grid row per finding.
#include <QDialog>

#include "content/content_calls.h"

class QLabel;
class QTableWidget;

namespace korrivan::content {

class ComplianceView : public QDialog {
  Q_OBJECT
public:
  explicit ComplianceView(QWidget* parent = nullptr);

  void showResult(const ComplianceResult& result);

  QLabel* verdictLabel() const { return verdict_; }
  QTableWidget* grid() const { return crd_; }

private:
  QLabel* verdict_ = nullptr;
  QLabel* file_ = nullptr;
  QTableWidget* crd_ = nullptr;
};

// The verdict line: "The LAS file complies with the content specification",
// "The LAS file does not comply: 3 findings", or why it could not be tested.
QString verdictCaption(const ComplianceResult& result);

}  // namespace korrivan::content
