#pragma once

#include <QDialog>
#include <functional>

class QLineEdit;
class QPushButton;

namespace vantor {
struct TerrainMatrix;
}

namespace vantor::ui {

// The modeless Find L2 Info window: Map X and Map Y in, the post's tile ID and elevation out.
// Nothing is looked up while typing; Find (also Enter) looks up, Exit closes the window.
class FindL2InfoDialog : public QDialog {
    Q_OBJECT
  public:
    FindL2InfoDialog(QWidget* owner, const TerrainMatrix& matrix, std::function<void()> onExit);

    QLineEdit* mapXField() const { return mapX_; }
    QLineEdit* mapYField() const { return mapY_; }
    QString tileIdText() const;
    QString elevationText() const;

    void find();

  protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

  private:
    const TerrainMatrix& matrix_;
    std::function<void()> onExit_;
    QLineEdit* mapX_;
    QLineEdit* mapY_;
    QLineEdit* tileId_;
    QLineEdit* elevation_;
};

} // namespace vantor::ui
