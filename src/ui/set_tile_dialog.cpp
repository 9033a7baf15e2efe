#include "ui/set_tile_dialog.h"

#include "app/application_state.h"
#include "base/text_util.h"
#include "flows/set_tile_flow.h"
#include "map/map_overlay.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace vantor::ui {

namespace {

QString qs(const std::string& text) {
    return QString::fromStdString(text);
}

} // namespace

SetTilePicker::SetTilePicker(QWidget* owner, ApplicationState& state, const Platform& platform,
                             const TilePick& start)
    : QDialog(owner), state_(state), platform_(platform), mapX_(new QSpinBox(this)),
      mapY_(new QSpinBox(this)), post_(new QLabel(this)), choices_(new QTreeWidget(this)),
      tile_(new QLineEdit(this)), effect_(new QLabel(this)),
      set_(new QPushButton("Set Tile", this)) {
    setWindowTitle("Set Tile");
    const TerrainMatrix& m = state_.terrain.matrix;
    mapX_->setRange(0, std::max(0, m.width - 1));
    mapY_->setRange(0, std::max(0, m.height - 1));
    mapX_->setValue(start.x);
    mapY_->setValue(start.y);
    post_->setWordWrap(true);
    choices_->setColumnCount(4);
    choices_->setHeaderLabels(
        {tileChoiceColumns[0], tileChoiceColumns[1], tileChoiceColumns[2], tileChoiceColumns[3]});
    choices_->setRootIsDecorated(false);
    choices_->header()->setStretchLastSection(false);
    choices_->header()->setSectionResizeMode(2, QHeaderView::Stretch);
    tile_->setPlaceholderText("a tile ID: chosen above or typed");
    effect_->setWordWrap(true);
    effect_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    set_->setDefault(true);
    set_->setToolTip("Put the tile on the post: the terrain pair is written back, the previous "
                     "pair kept in its history (Edit > Undo)");

    auto* where = new QHBoxLayout;
    where->addWidget(new QLabel("Map X", this));
    where->addWidget(mapX_);
    where->addWidget(new QLabel("Map Y", this));
    where->addWidget(mapY_);
    where->addStretch();
    auto* typed = new QFormLayout;
    typed->addRow("Tile ID", tile_);
    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(set_, QDialogButtonBox::AcceptRole);
    buttons->addButton(QDialogButtonBox::Cancel);
    auto* column = new QVBoxLayout(this);
    column->addLayout(where);
    column->addWidget(post_);
    column->addWidget(new QLabel(tileChoicesHeading, this));
    column->addWidget(choices_, 1);
    column->addLayout(typed);
    column->addWidget(effect_);
    column->addWidget(buttons);

    connect(mapX_, &QSpinBox::valueChanged, this, &SetTilePicker::showPost);
    connect(mapY_, &QSpinBox::valueChanged, this, &SetTilePicker::showPost);
    connect(choices_, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem* item, QTreeWidgetItem*) {
                if (item != nullptr && item->data(0, Qt::UserRole).isValid()) {
                    tile_->setText(item->text(0));
                }
            });
    connect(choices_, &QTreeWidget::itemDoubleClicked, this, [this] {
        if (settable_) {
            accept();
        }
    });
    connect(tile_, &QLineEdit::textChanged, this, &SetTilePicker::showEffect);
    connect(buttons, &QDialogButtonBox::accepted, this, [this] {
        if (settable_) {
            accept();
        }
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    resize(640, 480);
    showPost();
}

void SetTilePicker::showPost() {
    const std::int32_t x = mapX_->value();
    const std::int32_t y = mapY_->value();
    post_->setText(qs(postStatusText(state_.theater, state_.terrain.matrix, x, y)));
    choices_->clear();
    const std::vector<TileChoice> fits = tileChoicesAt(state_, x, y);
    for (const TileChoice& c : fits) {
        const TileChoiceRow row = tileChoiceRow(c);
        auto* item = new QTreeWidgetItem(choices_);
        for (int column = 0; column < 4; ++column) {
            item->setText(column, qs(row.text[column]));
        }
        item->setData(0, Qt::UserRole, row.tile);
        item->setToolTip(2, item->text(2));
        item->setTextAlignment(0, Qt::AlignRight | Qt::AlignVCenter);
        item->setTextAlignment(3, Qt::AlignRight | Qt::AlignVCenter);
    }
    if (fits.empty()) {
        auto* none = new QTreeWidgetItem(choices_);
        none->setText(0, noTileFits);
        none->setFirstColumnSpanned(true);
        none->setFlags(Qt::NoItemFlags);
    }
    for (int c : {0, 1, 3}) {
        choices_->resizeColumnToContents(c);
    }
    if (!fits.empty()) {
        choices_->setCurrentItem(choices_->topLevelItem(0));
    } else {
        showEffect();
    }
}

void SetTilePicker::showEffect() {
    const TilePickEffect e = tilePickEffect(state_, platform_, mapX_->value(), mapY_->value(),
                                            tile_->text().toStdString());
    settable_ = e.settable;
    QString said;
    for (std::size_t i = 0; i < e.lines.size(); ++i) {
        const QString line = qs(e.lines[i]).toHtmlEscaped();
        said += (i == 0 ? "" : "<br>") + (i == e.boldFrom ? "<b>" + line + "</b>" : line);
    }
    const QString colour = e.warning ? "#b00000" : "black";
    effect_->setText("<span style=\"color:" + colour + "\">" + said + "</span>");
    set_->setEnabled(settable_);
}

bool SetTilePicker::take(TilePick& pick) const {
    if (!settable_) {
        return false;
    }
    pick.x = mapX_->value();
    pick.y = mapY_->value();
    pick.tile = static_cast<std::uint32_t>(tile_->text().trimmed().toULongLong());
    return true;
}

} // namespace vantor::ui
