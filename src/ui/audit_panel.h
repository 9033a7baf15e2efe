#pragma once

#include "audit/audit.h"
#include "audit/audit_text.h"
#include "terrain/theater.h"

#include <QWidget>
#include <cstdint>
#include <vector>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace vantor::ui {

// The findings of the last audit beside the map: the summary, then one row per finding (check,
// position as users see it, object, detail). Selecting a row asks for the map to centre on it.
class AuditPanel : public QWidget {
    Q_OBJECT
  public:
    explicit AuditPanel(QWidget* parent = nullptr);

    void showAudit(const TheaterAudit& audit, const TheaterDefinition& theater);

    QTreeWidget* findings() const { return findings_; }
    // The page's search and check filter: rows that match both are shown.
    QLineEdit* searchBox() const { return search_; }
    QComboBox* checkFilter() const { return checkFilter_; }
    // The row of a finding (its position in the audit's findings), or null.
    QTreeWidgetItem* rowOf(int finding) const;
    // Selects the finding's row and scrolls to it (the map follows); -1 selects none.
    void selectFinding(int finding);
    // What the last Apply did, under the summary until the next audit is shown.
    void showWorkDone(const QString& text);
    QLabel* workDone() const { return workDone_; }
    QLabel* summary() const { return summary_; }
    QLabel* repairs() const { return repairs_; }
    QPushButton* savePageButton() const { return savePage_; }
    QPushButton* saveJsonButton() const { return saveJson_; }
    QPushButton* baselineButton() const { return baseline_; }
    QPushButton* applyButton() const { return apply_; }
    QPushButton* applyAllButton() const { return applyAll_; }
    // The finding of the current row (its position in the audit's findings), or -1.
    int currentFinding() const;

  signals:
    void findingSelected(std::int32_t mapX, std::int32_t mapY, int finding);
    void savePageRequested();
    void saveJsonRequested();
    // Compare with Baseline...: an earlier audit's JSON, whose findings are then known.
    void baselineRequested();
    // Apply: the current finding's first repair; Apply All: the first repair of every finding
    // of its check.
    void applyRequested(int finding, bool wholeCheck);

  protected:
    void resizeEvent(QResizeEvent* event) override;

  private:
    void showRepairs(int finding);
    void fitSummary();
    void filterRows();

    const TheaterAudit* audit_ = nullptr;
    std::vector<AuditRow> rows_; // the findings' rows, in the audit's order
    QLabel* summary_ = nullptr;
    QLabel* workDone_ = nullptr;
    QLineEdit* search_ = nullptr;
    QComboBox* checkFilter_ = nullptr;
    QTreeWidget* findings_ = nullptr;
    QLabel* repairs_ = nullptr;
    QPushButton* savePage_ = nullptr;
    QPushButton* saveJson_ = nullptr;
    QPushButton* baseline_ = nullptr;
    QPushButton* apply_ = nullptr;
    QPushButton* applyAll_ = nullptr;
};

// The words of a finding's repairs: every suggestion, best first, or why there is none.
QString repairText(const AuditFinding& finding);

} // namespace vantor::ui
