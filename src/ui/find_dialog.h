#pragma once

#include <QDialog>
#include <functional>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QRadioButton;

namespace vantor {
struct ApplicationState;
struct Platform;
} // namespace vantor

namespace vantor::ui {

// "Find Object": a modeless dialog that searches the list's displayed rows for a value in one
// field. The search itself is the core's; this only gathers the input and shows the outcome.
class FindDialog : public QDialog {
    Q_OBJECT
  public:
    FindDialog(QWidget* owner, ApplicationState& state, const Platform& platform,
               std::function<void()> onClose);

    void chooseField(int field);
    void findNext();
    QLineEdit* searchField() const { return text_; }
    QRadioButton* fieldButton(int field) const { return fields_[field - 1]; }
    QCheckBox* selectWhenFoundBox() const { return selectWhenFound_; }
    QCheckBox* alwaysFromTopBox() const { return alwaysFromTop_; }

  protected:
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

  private:
    void focusText();

    ApplicationState& state_;
    const Platform& platform_;
    std::function<void()> onClose_;
    QRadioButton* fields_[6];
    QLabel* prompt_;
    QLineEdit* text_;
    QCheckBox* selectWhenFound_;
    QCheckBox* alwaysFromTop_;
};

// "Unused Objective ID#'s": the free identifiers one by one or as ranges, in a box the user
// selects and copies from.
class UnusedIdsDialog : public QDialog {
    Q_OBJECT
  public:
    UnusedIdsDialog(QWidget* owner, std::function<std::string(bool ranges)> listing);

    QString listingText() const;
    void list(bool ranges);

  private:
    std::function<std::string(bool)> listing_;
    QPlainTextEdit* box_;
};

} // namespace vantor::ui
