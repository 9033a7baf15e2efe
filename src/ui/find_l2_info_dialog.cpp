#include "ui/find_l2_info_dialog.h"

#include "terrain/l2_info.h"

#include <QCloseEvent>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace vantor::ui {

FindL2InfoDialog::FindL2InfoDialog(QWidget* owner, const TerrainMatrix& matrix,
                                   std::function<void()> onExit)
    : QDialog(owner), matrix_(matrix), onExit_(std::move(onExit)), mapX_(new QLineEdit(this)),
      mapY_(new QLineEdit(this)), tileId_(new QLineEdit(this)), elevation_(new QLineEdit(this)) {
    setWindowTitle("Find L2 Info");
    setModal(false);
    tileId_->setReadOnly(true);
    elevation_->setReadOnly(true);
    tileId_->setFocusPolicy(Qt::NoFocus);
    elevation_->setFocusPolicy(Qt::NoFocus);

    auto* form = new QFormLayout;
    form->addRow("Map X", mapX_);
    form->addRow("Map Y", mapY_);
    form->addRow("Tile ID#", tileId_);
    form->addRow("Elevation", elevation_);

    auto* findButton = new QPushButton("&Find", this);
    auto* exitButton = new QPushButton("&Exit", this);
    findButton->setDefault(true);
    findButton->setAutoDefault(true);
    exitButton->setAutoDefault(false);
    connect(findButton, &QPushButton::clicked, this, &FindL2InfoDialog::find);
    connect(exitButton, &QPushButton::clicked, this, &FindL2InfoDialog::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(findButton);
    buttons->addWidget(exitButton);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(buttons);
}

QString FindL2InfoDialog::tileIdText() const {
    return tileId_->text();
}
QString FindL2InfoDialog::elevationText() const {
    return elevation_->text();
}

void FindL2InfoDialog::find() {
    const L2Info info =
        lookupL2Info(matrix_, mapX_->text().toStdString(), mapY_->text().toStdString());
    tileId_->setText(QString::fromStdString(info.tileIdText));
    elevation_->setText(QString::fromStdString(info.elevationText));
    mapX_->setFocus();
}

void FindL2InfoDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    mapX_->setFocus();
}

// The close box and Esc do what Exit does.
void FindL2InfoDialog::reject() {
    if (onExit_) {
        onExit_();
    }
}

void FindL2InfoDialog::closeEvent(QCloseEvent* event) {
    event->ignore();
    reject();
}

} // namespace vantor::ui
