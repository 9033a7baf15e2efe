#pragma once

#include "audit/audit.h"
#include "terrain/theater.h"

#include <QWidget>
#include <cstdint>

class QLabel;
class QPushButton;
class QTreeWidget;

namespace vantor::ui {

// The findings of the last audit beside the map: the summary, then one row per finding (check,
// position as users see it, object, detail). Selecting a row asks for the map to centre on it.
class AuditPanel : public QWidget {
    Q_OBJECT
  public:
    explicit AuditPanel(QWidget* parent = nullptr);

    void showAudit(const TheaterAudit& audit, const TheaterDefinition& theater);

    QTreeWidget* findings() const { return findings_; }
    QLabel* summary() const { return summary_; }
    QPushButton* savePageButton() const { return savePage_; }
    QPushButton* saveJsonButton() const { return saveJson_; }

  signals:
    void findingSelected(std::int32_t mapX, std::int32_t mapY);
    void savePageRequested();
    void saveJsonRequested();

  private:
    QLabel* summary_ = nullptr;
    QTreeWidget* findings_ = nullptr;
    QPushButton* savePage_ = nullptr;
    QPushButton* saveJson_ = nullptr;
};

} // namespace vantor::ui
