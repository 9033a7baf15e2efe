#pragma once

#include "app/platform.h"

#include <QDialog>
#include <functional>

class QLabel;
class QProgressBar;

namespace vantor::ui {

// The progress window: a label, a centred counter and a smooth bar from 0 to 4096. It has no
// Abort button; its close box and Esc ask the running operation to stop, and only the flow that
// opened it closes it.
class ProgressDialog : public QDialog {
    Q_OBJECT
  public:
    ProgressDialog(QWidget* owner, std::function<void()> onAbort);

    void showView(const ProgressView& view);

    QString labelText() const;
    QString counterText() const;
    int barValue() const;

    void reject() override;

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    std::function<void()> onAbort_;
    QLabel* label_;
    QLabel* counter_;
    QProgressBar* bar_;
};

} // namespace vantor::ui
