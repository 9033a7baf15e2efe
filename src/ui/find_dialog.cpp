#include "ui/find_dialog.h"

#include "app/application_state.h"
#include "app/platform.h"
#include "app/platform_calls.h"
#include "objectives/find.h"
#include "objectives/unused_ids.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace vantor::ui {

FindDialog::FindDialog(QWidget* owner, ApplicationState& state, const Platform& platform,
                       std::function<void()> onClose)
    : QDialog(owner), state_(state), platform_(platform), onClose_(std::move(onClose)),
      prompt_(new QLabel(this)), text_(new QLineEdit(this)),
      selectWhenFound_(new QCheckBox("Select When Found", this)),
      alwaysFromTop_(new QCheckBox("Always start search from top", this)) {
    setWindowTitle("Find Object");
    setModal(false);
    const ListMode mode = state_.list.find.createdForListMode;
    auto* grid = new QGridLayout;
    for (int field = 1; field <= 6; ++field) {
        const FindFieldText text = findFieldText(mode, field);
        auto* button = new QRadioButton(text.label, this);
        button->setEnabled(text.enabled);
        fields_[field - 1] = button;
        grid->addWidget(button, (field - 1) / 3, (field - 1) % 3);
        connect(button, &QRadioButton::clicked, this, [this, field] { chooseField(field); });
    }
    auto* findButton = new QPushButton("Find Next", this);
    auto* closeButton = new QPushButton("Close", this);
    findButton->setDefault(true);
    closeButton->setAutoDefault(false);
    connect(findButton, &QPushButton::clicked, this, &FindDialog::findNext);
    connect(closeButton, &QPushButton::clicked, this, &FindDialog::reject);
    connect(selectWhenFound_, &QCheckBox::clicked, this, [this] {
        toggleSelectWhenFound(state_.list.find);
        selectWhenFound_->setChecked(state_.list.find.selectWhenFound);
    });
    connect(alwaysFromTop_, &QCheckBox::clicked, this, [this] {
        toggleAlwaysFromTop(state_.list.find);
        alwaysFromTop_->setChecked(state_.list.find.alwaysFromTop);
        focusText();
    });

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(findButton);
    buttons->addWidget(closeButton);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(prompt_);
    layout->addWidget(text_);
    layout->addWidget(selectWhenFound_);
    layout->addWidget(alwaysFromTop_);
    layout->addLayout(buttons);

    // Shows the option's real state, which outlives the dialog.
    selectWhenFound_->setChecked(state_.list.find.selectWhenFound);
    alwaysFromTop_->setChecked(state_.list.find.alwaysFromTop);
    chooseField(state_.list.find.field);
}

void FindDialog::chooseField(int field) {
    chooseFindField(state_.list.find, field);
    for (int f = 1; f <= 6; ++f) {
        fields_[f - 1]->setChecked(f == state_.list.find.field);
    }
    prompt_->setText(
        findFieldText(state_.list.find.createdForListMode, state_.list.find.field).prompt);
    focusText();
}

void FindDialog::findNext() {
    const FindOutcome outcome =
        vantor::findNext(state_.list.model, state_.list.find, text_->text().toStdString());
    if (outcome.found) {
        if (platform_.listChanged) {
            platform_.listChanged(ListChange::DataChanged);
        }
        if (platform_.showListRow) {
            platform_.showListRow(outcome.position);
        }
    } else {
        showMessage(platform_, outcome.message, notFoundTitle, MessageIcon::Information);
    }
    focusText();
}

void FindDialog::focusText() {
    text_->setFocus();
    text_->selectAll();
}

void FindDialog::reject() {
    if (onClose_) {
        onClose_();
    }
}

void FindDialog::closeEvent(QCloseEvent* event) {
    event->ignore();
    reject();
}

UnusedIdsDialog::UnusedIdsDialog(QWidget* owner, std::function<std::string(bool)> listing)
    : QDialog(owner), listing_(std::move(listing)), box_(new QPlainTextEdit(this)) {
    setWindowTitle(unusedIdsTitle);
    setModal(true);
    box_->setReadOnly(true);
    box_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    box_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    auto* closeButton = new QPushButton("Close", this);
    auto* singles = new QPushButton("List By Single ID's", this);
    auto* ranges = new QPushButton("List By ID Ranges", this);
    closeButton->setDefault(true);
    singles->setAutoDefault(false);
    ranges->setAutoDefault(false);
    connect(closeButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(singles, &QPushButton::clicked, this, [this] { list(false); });
    connect(ranges, &QPushButton::clicked, this, [this] { list(true); });
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(singles);
    buttons->addWidget(ranges);
    buttons->addStretch();
    buttons->addWidget(closeButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel("Select All, Copy and Paste into Notepad", this));
    layout->addWidget(box_);
    layout->addLayout(buttons);
    resize(560, 520);
}

QString UnusedIdsDialog::listingText() const {
    return box_->toPlainText();
}

void UnusedIdsDialog::list(bool ranges) {
    QString text = QString::fromStdString(listing_(ranges));
    text.replace("\r\n", "\n");
    box_->setPlainText(text);
}

} // namespace vantor::ui
