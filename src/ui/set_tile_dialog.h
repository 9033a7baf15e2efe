#pragma once

#include "app/platform.h"

#include <QDialog>
#include <cstdint>

class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QTreeWidget;

namespace vantor {
struct ApplicationState;
}

namespace vantor::ui {

// Set Tile: a post (Map X, Map Y), the tiles of the scripts at hand that fit its four
// neighbours, ranked as the repairs are and each with what it mends, and a tile ID that may
// also be typed by hand; what that tile would do there is said before it is set, in red when
// it makes faults.
class SetTilePicker : public QDialog {
    Q_OBJECT
  public:
    SetTilePicker(QWidget* owner, ApplicationState& state, const Platform& platform,
                  const TilePick& start);

    QSpinBox* mapXField() const { return mapX_; }
    QSpinBox* mapYField() const { return mapY_; }
    QLabel* postLabel() const { return post_; }
    QTreeWidget* choices() const { return choices_; }
    QLineEdit* tileField() const { return tile_; }
    QLabel* effectLabel() const { return effect_; }
    QPushButton* setButton() const { return set_; }
    // The post and the tile chosen; false when the tile field holds no tile that can be set.
    bool take(TilePick& pick) const;

  private:
    void showPost();
    void showEffect();

    ApplicationState& state_;
    const Platform& platform_;
    QSpinBox* mapX_;
    QSpinBox* mapY_;
    QLabel* post_;
    QTreeWidget* choices_;
    QLineEdit* tile_;
    QLabel* effect_;
    QPushButton* set_;
    bool settable_ = false;
};

} // namespace vantor::ui
