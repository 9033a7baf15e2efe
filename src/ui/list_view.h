#pragma once

#include <QAbstractTableModel>
#include <QIcon>
#include <QTreeView>
#include <functional>

namespace vantor {
struct ApplicationState;
}

namespace vantor::ui {

// The core's list rows as a Qt model: one model row per displayed row, cells as the core
// formats them, the mark as the first column's state icon. Nothing is copied; every cell is
// asked for when it is drawn.
class ListTableModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    explicit ListTableModel(ApplicationState& state, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    // Edits of the first column are allowed to start but never kept.
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;

    void reset();
    void refresh();

  private:
    ApplicationState& state_;
    QIcon icons_[3];
};

// The list window: highlight with the mouse and keyboard as usual; a double-click or a
// right-click toggles a row's mark; a header click sorts; the highlight is mirrored into the
// core, which the Edit commands and the find dialog act on.
class ListView : public QTreeView {
    Q_OBJECT
  public:
    ListView(ApplicationState& state, std::function<void()> marksChanged,
             QWidget* parent = nullptr);

    ListTableModel* listModel() const { return model_; }
    // After the core changed the rows: redraw them and take over the core's highlight.
    void showChange(bool reset);
    void scrollToDisplayRow(std::size_t position);
    // Called when the user changed the highlight (not when the core's highlight is shown).
    std::function<void()> highlightEdited;

  protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

  private:
    void highlightChanged();
    void applyHighlight();
    void toggleAt(const QPoint& pos);

    ApplicationState& state_;
    std::function<void()> marksChanged_;
    ListTableModel* model_;
    bool syncing_ = false;
};

} // namespace vantor::ui
