#pragma once

#include "analysis/radar_dialog.h"
#include "tools/id_mover.h"

#include <QDialog>
#include <array>

class QLineEdit;
class QPushButton;

namespace vantor {
struct Platform;
}

namespace vantor::ui {

// "Configure Radar Scanner": three fields read as they are typed; Scan accepts only settings
// that can make a profile and says why others cannot.
class RadarSettingsDialog : public QDialog {
    Q_OBJECT
  public:
    RadarSettingsDialog(QWidget* owner, RadarDialogModel& model, const Platform& platform);

    QLineEdit* field(RadarDialogField f) const { return fields_[static_cast<std::size_t>(f)]; }
    QPushButton* scanButton() const { return scan_; }
    void scan();

  private:
    RadarDialogModel& model_;
    const Platform& platform_;
    std::array<QLineEdit*, 3> fields_{};
    QPushButton* scan_;
};

// "Move ID's and Links ": the identifier range and its new start; the dialog's result is the
// button that closed it (IdToolChoice).
class IdLimitsDialog : public QDialog {
    Q_OBJECT
  public:
    IdLimitsDialog(QWidget* owner, IdLimitsDialogModel& model);

    QLineEdit* oldStartField() const { return oldStart_; }
    QLineEdit* oldEndField() const { return oldEnd_; }
    QLineEdit* newStartField() const { return newStart_; }
    void choose(IdToolChoice choice);

  private:
    IdLimitsDialogModel& model_;
    QLineEdit* oldStart_;
    QLineEdit* oldEnd_;
    QLineEdit* newStart_;
};

} // namespace vantor::ui
