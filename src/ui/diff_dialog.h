#pragma once

#include "tools/theater_diff.h"

#include <QDialog>

class QPlainTextEdit;
class QPushButton;
class QTreeWidget;

namespace vantor::ui {

// Actions > "Compare Versions...": what changed between the two versions, the summary
// vantor-cli prints above the changed sections and objectives, and the buttons that write the
// page (both maps marked) or the JSON.
class DiffDialog : public QDialog {
    Q_OBJECT
  public:
    DiffDialog(QWidget* owner, const TheaterDiff& diff);

    QString summaryText() const;
    QTreeWidget* changes() const { return changes_; }
    QPushButton* savePageButton() const { return savePage_; }
    QPushButton* saveJsonButton() const { return saveJson_; }

  signals:
    // Save Page... (true) or Save JSON... (false).
    void saveRequested(bool page);
    // A changed section (its area's centre) or objective was selected: the post to show.
    void changeSelected(int mapX, int mapY);

  private:
    QPlainTextEdit* summary_;
    QTreeWidget* changes_;
    QPushButton* savePage_;
    QPushButton* saveJson_;
};

} // namespace vantor::ui
