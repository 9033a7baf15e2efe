#include "ui/list_view.h"

#include "app/application_state.h"
#include "app/toolbar_sprites.h"
#include "ui/map_view.h"

#include <QHeaderView>
#include <QItemSelectionModel>
#include <QMouseEvent>
#include <QPixmap>

namespace vantor::ui {

namespace {

// State icons: unmarked, selected, marked for deletion.
QIcon stateIcon(int which) {
    return QIcon(QPixmap::fromImage(toQImage(listStateSprite(which, 32))));
}

} // namespace

ListTableModel::ListTableModel(ApplicationState& state, QObject* parent)
    : QAbstractTableModel(parent), state_(state) {
    for (int i = 0; i < 3; ++i) {
        icons_[i] = stateIcon(i);
    }
}

int ListTableModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid() || !state_.list.model.window) {
        return 0;
    }
    return static_cast<int>(state_.list.model.window->display.size());
}

int ListTableModel::columnCount(const QModelIndex& parent) const {
    if (parent.isValid()) {
        return 0;
    }
    const ListMode mode =
        state_.list.model.window ? state_.list.model.window->listMode : state_.list.listMode;
    return static_cast<int>(listColumns(mode).size());
}

QVariant ListTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || !state_.list.model.window || index.row() >= rowCount()) {
        return {};
    }
    const ListWindow& w = *state_.list.model.window;
    const auto position = static_cast<std::size_t>(index.row());
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return QString::fromStdString(
            cellText(w, position, index.column(), state_.list.listKind, state_.scan.scanAll));
    case Qt::TextAlignmentRole:
        return int(Qt::AlignCenter);
    case Qt::DecorationRole:
        if (index.column() == 0) {
            const std::int32_t mark = markOf(w, w.display[position]);
            return icons_[mark == MarkSelected ? 1 : mark == MarkDeleted ? 2 : 0];
        }
        return {};
    default:
        return {};
    }
}

QVariant ListTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal) {
        return {};
    }
    const ListMode mode =
        state_.list.model.window ? state_.list.model.window->listMode : state_.list.listMode;
    const std::vector<ListColumn> columns = listColumns(mode);
    if (section < 0 || static_cast<std::size_t>(section) >= columns.size()) {
        return {};
    }
    if (role == Qt::DisplayRole) {
        return QString(columns[static_cast<std::size_t>(section)].title);
    }
    if (role == Qt::TextAlignmentRole) {
        return int(Qt::AlignCenter);
    }
    return {};
}

Qt::ItemFlags ListTableModel::flags(const QModelIndex& index) const {
    Qt::ItemFlags f = Qt::ItemIsSelectable | Qt::ItemIsEnabled;
    if (index.column() == 0) {
        f |= Qt::ItemIsEditable;
    }
    return f;
}

bool ListTableModel::setData(const QModelIndex&, const QVariant&, int) {
    return false;
}

void ListTableModel::reset() {
    beginResetModel();
    endResetModel();
}

void ListTableModel::refresh() {
    if (rowCount() > 0) {
        emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
    }
}

ListView::ListView(ApplicationState& state, std::function<void()> marksChanged, QWidget* parent)
    : QTreeView(parent), state_(state), marksChanged_(std::move(marksChanged)),
      model_(new ListTableModel(state, this)) {
    setModel(model_);
    setRootIsDecorated(false);
    setUniformRowHeights(true);
    setItemsExpandable(false);
    setAllColumnsShowFocus(true);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::EditKeyPressed);
    header()->setSectionsClickable(true);
    header()->setSortIndicatorShown(false);
    header()->setStretchLastSection(false);
    connect(header(), &QHeaderView::sectionClicked, this, [this](int column) {
        sortByHeader(state_.list.model, column);
        showChange(false);
    });
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { highlightChanged(); });
    // A click on a row already highlighted changes no highlight, but the map is brought to it
    // all the same.
    connect(this, &QAbstractItemView::clicked, this, [this] {
        if (highlightEdited) {
            highlightEdited();
        }
    });
    connect(this, &QAbstractItemView::activated, this, [this] {
        if (state_.list.model.window) {
            activateHighlighted(*state_.list.model.window);
            model_->refresh();
        }
    });
}

void ListView::showChange(bool reset) {
    if (reset) {
        model_->reset();
        const ListMode mode =
            state_.list.model.window ? state_.list.model.window->listMode : state_.list.listMode;
        const std::vector<ListColumn> columns = listColumns(mode);
        for (std::size_t i = 0; i < columns.size(); ++i) {
            setColumnWidth(static_cast<int>(i), columns[i].width);
        }
    } else {
        model_->refresh();
    }
    applyHighlight();
}

void ListView::scrollToDisplayRow(std::size_t position) {
    scrollTo(model_->index(static_cast<int>(position), 0));
}

void ListView::highlightChanged() {
    if (syncing_ || !state_.list.model.window) {
        return;
    }
    ListWindow& w = *state_.list.model.window;
    std::fill(w.highlighted.begin(), w.highlighted.end(), 0);
    for (const QModelIndex& index : selectionModel()->selectedRows()) {
        const auto position = static_cast<std::size_t>(index.row());
        if (position < w.display.size()) {
            w.highlighted[w.display[position]] = 1;
        }
    }
    if (highlightEdited) {
        highlightEdited();
    }
}

void ListView::applyHighlight() {
    if (!state_.list.model.window) {
        return;
    }
    const ListWindow& w = *state_.list.model.window;
    QItemSelection selection;
    for (std::size_t p = 0; p < w.display.size(); ++p) {
        if (w.highlighted[w.display[p]] != 0) {
            const int row = static_cast<int>(p);
            selection.select(model_->index(row, 0), model_->index(row, model_->columnCount() - 1));
        }
    }
    syncing_ = true;
    selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
    syncing_ = false;
}

void ListView::toggleAt(const QPoint& pos) {
    const QModelIndex index = indexAt(pos);
    if (!index.isValid() || !state_.list.model.window) {
        return; // a click outside the rows does nothing
    }
    ListWindow& w = *state_.list.model.window;
    toggleMark(w, w.display[static_cast<std::size_t>(index.row())]);
    model_->refresh();
    if (marksChanged_) {
        marksChanged_();
    }
}

void ListView::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::RightButton) {
        toggleAt(event->position().toPoint());
        return;
    }
    QTreeView::mousePressEvent(event);
}

void ListView::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        toggleAt(event->position().toPoint());
        // Several highlighted rows: the activation selects them all.
        if (state_.list.model.window &&
            std::count(state_.list.model.window->highlighted.begin(),
                       state_.list.model.window->highlighted.end(), 1) > 1) {
            emit activated(indexAt(event->position().toPoint()));
        }
        return;
    }
    QTreeView::mouseDoubleClickEvent(event);
}

} // namespace vantor::ui
