#include "ui/scan_parameters_dialog.h"

#include "app/platform_calls.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace vantor::ui {

ScanParametersDialog::ScanParametersDialog(QWidget* owner, ScanDialogModel& model,
                                           const Platform& platform)
    : QDialog(owner), model_(model), platform_(platform),
      write_(new QCheckBox("Create/Scan Objects && Write to File", this)),
      append_(new QCheckBox("Append New Objects to End of File.", this)),
      text_(new QCheckBox("Output Text Error Report File", this)), range_(new QComboBox(this)),
      owner_(new QComboBox(this)), controller_(new QComboBox(this)) {
    setWindowTitle(QString::fromStdString(model_.title));
    setModal(true);
    QGroupBox* mapGroup = areaGroup(
        "Map Search Area",
        {ScanField::StartMapX, ScanField::StartMapY, ScanField::EndMapX, ScanField::EndMapY},
        "Map");
    QGroupBox* sectGroup = areaGroup(
        "Sector Search Area",
        {ScanField::StartSectX, ScanField::StartSectY, ScanField::EndSectX, ScanField::EndSectY},
        "Sect");
    QGroupBox* objectGroup = objectValuesGroup();
    for (const auto& [f, edit] : fields_) {
        show(f);
    }
    connectOptions();

    auto* beginButton = new QPushButton("Begin", this);
    auto* cancelButton = new QPushButton("Cancel", this);
    beginButton->setDefault(true);
    connect(beginButton, &QPushButton::clicked, this, &ScanParametersDialog::begin);
    connect(cancelButton, &QPushButton::clicked, this, &QDialog::reject);

    auto* areas = new QHBoxLayout;
    areas->addWidget(mapGroup);
    areas->addWidget(sectGroup);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(beginButton);
    buttons->addWidget(cancelButton);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(areas);
    layout->addWidget(objectGroup);
    layout->addWidget(write_);
    layout->addWidget(append_);
    layout->addWidget(text_);
    layout->addLayout(buttons);
}

void ScanParametersDialog::addField(QFormLayout* form, ScanField f, const QString& label) {
    auto* edit = new QLineEdit(this);
    fields_[f] = edit;
    form->addRow(label, edit);
    connect(edit, &QLineEdit::textEdited, this, [this, f](const QString& t) { typed(f, t); });
}

QGroupBox* ScanParametersDialog::areaGroup(const char* title, std::array<ScanField, 4> fields,
                                           const char* unit) {
    auto* group = new QGroupBox(title, this);
    auto* form = new QFormLayout(group);
    const char* labels[] = {"Start at %1 X coordinate:", "Start at %1 Y coordinate:",
                            "End at %1 X coordinate:", "End at %1 Y coordinate:"};
    for (std::size_t i = 0; i < fields.size(); ++i) {
        addField(form, fields[i], QString(labels[i]).arg(unit));
    }
    return group;
}

// The values given to created objects; only bridge placement may edit them.
QGroupBox* ScanParametersDialog::objectValuesGroup() {
    auto* group = new QGroupBox("Object Selection Info", this);
    auto* form = new QFormLayout(group);
    addField(form, ScanField::StartingObjectId, "Starting Object ID#:");
    form->addRow("Search Range (+/- tiles):", range_);
    addField(form, ScanField::Priority, "Priority (0 - 100):");
    addField(form, ScanField::Supply, "Supply (0 - 255):");
    form->addRow("Owner of Objects", owner_);
    form->addRow("Controller of Objects", controller_);

    for (int i = 0; i <= 4; ++i) {
        range_->addItem(QString::number(i));
    }
    for (const char* name : countryNames) {
        owner_->addItem(name);
        controller_->addItem(name);
    }
    range_->setCurrentIndex(model_.parameters.searchRange);
    owner_->setCurrentIndex(model_.parameters.owner);
    controller_->setCurrentIndex(model_.parameters.controller);
    connect(range_, &QComboBox::activated, this,
            [this](int i) { model_.parameters.searchRange = i; });
    connect(owner_, &QComboBox::activated, this, [this](int i) { model_.parameters.owner = i; });
    connect(controller_, &QComboBox::activated, this,
            [this](int i) { model_.parameters.controller = i; });

    const bool objects = model_.objectFieldsEnabled;
    for (ScanField f : {ScanField::StartingObjectId, ScanField::Priority, ScanField::Supply}) {
        fields_[f]->setEnabled(objects);
    }
    owner_->setEnabled(objects);
    controller_->setEnabled(objects);
    return group;
}

// The write, append and text report options.
void ScanParametersDialog::connectOptions() {
    text_->setEnabled(model_.textReportEnabled);
    if (!model_.appendEnabled) {
        model_.appendToOutput = false;
    }
    append_->setEnabled(model_.appendEnabled);
    write_->setChecked(model_.writeToFile);
    append_->setChecked(model_.appendToOutput);
    text_->setChecked(model_.textReport);
    connect(write_, &QCheckBox::clicked, this, [this] {
        toggleWriteToFile(model_);
        append_->setEnabled(model_.appendEnabled);
    });
    connect(append_, &QCheckBox::clicked, this, [this](bool on) { model_.appendToOutput = on; });
    connect(text_, &QCheckBox::clicked, this, [this](bool on) { model_.textReport = on; });
}

void ScanParametersDialog::show(ScanField f) {
    // Setting the text programmatically does not count as typing, so nothing echoes back.
    fields_[f]->setText(QString::number(scanFieldValue(model_, f)));
}

void ScanParametersDialog::typed(ScanField f, const QString& text) {
    const FieldTyped result = typeScanField(model_, f, text.toStdString());
    if (result.beep) {
        QApplication::beep();
    }
    if (result.replaced) {
        show(f);
    }
    if (result.moved) {
        show(*result.moved);
    }
}

void ScanParametersDialog::begin() {
    if (const std::optional<std::string> refused = beginCheck(model_)) {
        showMessage(platform_, *refused, "Information", MessageIcon::Warning);
        return;
    }
    accept();
}

} // namespace vantor::ui
