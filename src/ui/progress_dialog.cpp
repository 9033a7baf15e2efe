#include "ui/progress_dialog.h"

#include "app/progress.h"

#include <QCloseEvent>
#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>
#include <algorithm>

namespace vantor::ui {

ProgressDialog::ProgressDialog(QWidget* owner, std::function<void()> onAbort)
    : QDialog(owner, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      onAbort_(std::move(onAbort)), label_(new QLabel(this)), counter_(new QLabel(this)),
      bar_(new QProgressBar(this)) {
    setModal(true);
    label_->setAlignment(Qt::AlignCenter);
    counter_->setAlignment(Qt::AlignCenter);
    bar_->setRange(0, progressBarRange);
    bar_->setTextVisible(false);
    bar_->setStyleSheet("QProgressBar { background-color: rgb(0, 96, 96); border: 1px solid "
                        "rgb(0, 64, 64); border-radius: 0px; }"
                        "QProgressBar::chunk { background-color: rgb(255, 255, 0); }");
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label_);
    layout->addWidget(counter_);
    layout->addWidget(bar_);
    setMinimumWidth(360);
    move(owner != nullptr ? owner->pos() + QPoint(50, 50) : QPoint(50, 50));
}

void ProgressDialog::showView(const ProgressView& view) {
    setWindowTitle(QString::fromStdString(view.caption));
    label_->setText(QString::fromStdString(view.label));
    counter_->setText(QString::fromStdString(view.counter));
    // On theaters larger than the standard one the position passes the range: the bar stays full.
    bar_->setValue(std::clamp(view.position, 0, progressBarRange));
}

QString ProgressDialog::labelText() const {
    return label_->text();
}
QString ProgressDialog::counterText() const {
    return counter_->text();
}
int ProgressDialog::barValue() const {
    return bar_->value();
}

void ProgressDialog::reject() {
    if (onAbort_) {
        onAbort_();
    }
}

void ProgressDialog::closeEvent(QCloseEvent* event) {
    event->ignore();
    reject();
}

} // namespace vantor::ui
