#pragma once

#include "scans/scan_parameters.h"

#include <QDialog>
#include <array>
#include <map>

class QCheckBox;
class QComboBox;
class QFormLayout;
class QGroupBox;
class QLineEdit;

namespace vantor {
struct Platform;
}

namespace vantor::ui {

// "Object Placement/Adjustment Parameters": edits the core's dialog model, each keystroke
// going through the core's field rules (range, replacement and beep, map/section coupling).
class ScanParametersDialog : public QDialog {
    Q_OBJECT
  public:
    ScanParametersDialog(QWidget* owner, ScanDialogModel& model, const Platform& platform);

    QLineEdit* field(ScanField f) const { return fields_.at(f); }
    QCheckBox* writeBox() const { return write_; }
    QCheckBox* appendBox() const { return append_; }
    QCheckBox* textBox() const { return text_; }
    QComboBox* ownerBox() const { return owner_; }
    QComboBox* rangeBox() const { return range_; }

    void begin();

  private:
    void addField(QFormLayout* form, ScanField f, const QString& label);
    QGroupBox* areaGroup(const char* title, std::array<ScanField, 4> fields, const char* unit);
    QGroupBox* objectValuesGroup();
    void connectOptions();
    void typed(ScanField f, const QString& text);
    void show(ScanField f);

    ScanDialogModel& model_;
    const Platform& platform_;
    std::map<ScanField, QLineEdit*> fields_;
    QCheckBox* write_;
    QCheckBox* append_;
    QCheckBox* text_;
    QComboBox* range_;
    QComboBox* owner_;
    QComboBox* controller_;
};

} // namespace vantor::ui
