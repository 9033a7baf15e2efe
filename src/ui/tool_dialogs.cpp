#include "ui/tool_dialogs.h"

#include "app/platform_calls.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace vantor::ui {

RadarSettingsDialog::RadarSettingsDialog(QWidget* owner, RadarDialogModel& model,
                                         const Platform& platform)
    : QDialog(owner), model_(model), platform_(platform), scan_(new QPushButton("Scan", this)) {
    setWindowTitle(radarDialogTitle);
    setModal(true);
    auto* form = new QFormLayout;
    for (RadarDialogField f : {MaximumRangeField, RangeIncrementField, AzimuthIncrementField}) {
        auto* edit =
            new QLineEdit(QString::fromStdString(model_.texts[static_cast<std::size_t>(f)]), this);
        fields_[static_cast<std::size_t>(f)] = edit;
        form->addRow(radarFieldLabels[static_cast<std::size_t>(f)], edit);
        connect(edit, &QLineEdit::textEdited, this,
                [this, f](const QString& text) { editRadarField(model_, f, text.toStdString()); });
    }
    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(scan_, QDialogButtonBox::AcceptRole);
    QPushButton* cancel = buttons->addButton("Cancel", QDialogButtonBox::RejectRole);
    scan_->setDefault(true);
    connect(scan_, &QPushButton::clicked, this, &RadarSettingsDialog::scan);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
}

void RadarSettingsDialog::scan() {
    for (RadarDialogField f : {MaximumRangeField, RangeIncrementField, AzimuthIncrementField}) {
        model_.texts[static_cast<std::size_t>(f)] = field(f)->text().toStdString();
    }
    if (const std::optional<std::string> problem = confirmRadarDialog(model_)) {
        showMessage(platform_, *problem, radarDialogTitle, MessageIcon::Warning);
        return;
    }
    accept();
}

IdLimitsDialog::IdLimitsDialog(QWidget* owner, IdLimitsDialogModel& model)
    : QDialog(owner), model_(model),
      oldStart_(new QLineEdit(QString::fromStdString(model.oldStart), this)),
      oldEnd_(new QLineEdit(QString::fromStdString(model.oldEnd), this)),
      newStart_(new QLineEdit(QString::fromStdString(model.newStart), this)) {
    setWindowTitle("Move ID's and Links ");
    setModal(true);
    auto* form = new QFormLayout;
    form->addRow("Move ID's Starting at", oldStart_);
    form->addRow("and ID's Endting at", oldEnd_);
    form->addRow("to ID's Starting at", newStart_);
    auto* buttons = new QDialogButtonBox(this);
    QPushButton* move = buttons->addButton("Move ID's", QDialogButtonBox::AcceptRole);
    QPushButton* fix = buttons->addButton("Fix Bridge Offset", QDialogButtonBox::ActionRole);
    QPushButton* cancel = buttons->addButton("Cancel", QDialogButtonBox::RejectRole);
    move->setDefault(true);
    connect(move, &QPushButton::clicked, this, [this] { choose(IdToolChoice::MoveIds); });
    connect(fix, &QPushButton::clicked, this, [this] { choose(IdToolChoice::FixBridgeOffsets); });
    connect(cancel, &QPushButton::clicked, this, [this] { choose(IdToolChoice::Cancel); });
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
}

void IdLimitsDialog::choose(IdToolChoice choice) {
    if (choice == IdToolChoice::MoveIds) {
        model_.oldStart = oldStart_->text().toStdString();
        model_.oldEnd = oldEnd_->text().toStdString();
        model_.newStart = newStart_->text().toStdString();
    }
    done(static_cast<int>(choice));
}

} // namespace vantor::ui
