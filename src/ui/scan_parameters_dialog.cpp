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

    auto addField = [this](QFormLayout* form, ScanField f, const char* label) {
        auto* edit = new QLineEdit(this);
        fields_[f] = edit;
        form->addRow(label, edit);
        connect(edit, &QLineEdit::textEdited, this, [this, f](const QString& t) { typed(f, t); });
    };
    auto* mapGroup = new QGroupBox("Map Search Area", this);
    auto* mapForm = new QFormLayout(mapGroup);
    addField(mapForm, ScanField::StartMapX, "Start at Map X coordinate:");
    addField(mapForm, ScanField::StartMapY, "Start at Map Y coordinate:");
    addField(mapForm, ScanField::EndMapX, "End at Map X coordinate:");
    addField(mapForm, ScanField::EndMapY, "End at Map Y coordinate:");
    auto* sectGroup = new QGroupBox("Sector Search Area", this);
    auto* sectForm = new QFormLayout(sectGroup);
    addField(sectForm, ScanField::StartSectX, "Start at Sect X coordinate:");
    addField(sectForm, ScanField::StartSectY, "Start at Sect Y coordinate:");
    addField(sectForm, ScanField::EndSectX, "End at Sect X coordinate:");
    addField(sectForm, ScanField::EndSectY, "End at Sect Y coordinate:");
    auto* objectGroup = new QGroupBox("Object Selection Info", this);
    auto* objectForm = new QFormLayout(objectGroup);
    addField(objectForm, ScanField::StartingObjectId, "Starting Object ID#:");
    objectForm->addRow("Search Range (+/- tiles):", range_);
    addField(objectForm, ScanField::Priority, "Priority (0 - 100):");
    addField(objectForm, ScanField::Supply, "Supply (0 - 255):");
    objectForm->addRow("Owner of Objects", owner_);
    objectForm->addRow("Controller of Objects", controller_);

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

    for (const auto& [f, edit] : fields_) {
        show(f);
    }
    const bool objects = model_.objectFieldsEnabled;
    for (ScanField f : {ScanField::StartingObjectId, ScanField::Priority, ScanField::Supply}) {
        fields_[f]->setEnabled(objects);
    }
    owner_->setEnabled(objects);
    controller_->setEnabled(objects);
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
