#include "ui/diff_dialog.h"

#include "base/text_util.h"

#include <QFontDatabase>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace vantor::ui {

namespace {

QString qs(const std::string& text) {
    return QString::fromStdString(text);
}

// The post an item stands for, kept for the map.
void setPost(QTreeWidgetItem* item, std::int32_t x, std::int32_t y) {
    item->setData(0, Qt::UserRole, QPoint(x, y));
}

QString versionText(const std::string& terrain, const std::string& source) {
    QString text = qs(terrain);
    if (!source.empty()) {
        text += (text.isEmpty() ? "" : ", ") + qs(source);
    }
    return text.isEmpty() ? QString("-") : text.toHtmlEscaped();
}

// The colours of the page's markers, a little darker to read as text on white.
QColor colourOf(const std::string& change) {
    return QColor::fromRgb(objectChangeColour(change)).darker(125);
}

void addTerrain(QTreeWidget* tree, const TerrainDiff& t) {
    auto* group = new QTreeWidgetItem(tree);
    group->setFirstColumnSpanned(true);
    if (!t.sameSize) {
        group->setText(0, QString("Terrain: the size changed (%1 x %2 posts, now %3 x %4)")
                              .arg(t.widthBefore)
                              .arg(t.heightBefore)
                              .arg(t.widthAfter)
                              .arg(t.heightAfter));
        return;
    }
    group->setText(0, "Terrain: " + qs(postsChangedText(t)));
    std::vector<QTreeWidgetItem*> sections;
    for (const SectionChange& s : t.sections) {
        auto* item = new QTreeWidgetItem(group);
        item->setText(0, qs(sectionText(s)));
        item->setText(3, QString(s.posts == 1 ? "%1 post, %2" : "%1 posts, %2")
                             .arg(s.posts)
                             .arg(qs(sectionAreaText(s))));
        item->setForeground(0, QColor::fromRgb(changedPostColour).darker(125));
        setPost(item, (s.area.startX + s.area.endX) / 2, (s.area.startY + s.area.endY) / 2);
        sections.push_back(item);
    }
    // Each changed post under its section, with what it was and what it became.
    constexpr std::size_t shown = 1000;
    for (const PostChangeRow& r : postChangeRows(t, shown)) {
        auto* item = new QTreeWidgetItem(sections[r.section]);
        item->setText(0, qs(r.where));
        item->setText(1, qs(r.before));
        item->setText(2, qs(r.after));
        item->setText(3, qs(r.what));
        setPost(item, r.x, r.y);
    }
    if (t.postsChanged > shown) {
        auto* more = new QTreeWidgetItem(group);
        more->setFirstColumnSpanned(true);
        more->setText(0, QString("and %1 more (Save JSON... has them all)")
                             .arg(qs(countText(static_cast<std::size_t>(t.postsChanged - shown),
                                               "post", "posts"))));
    }
    // Sections open where that stays readable.
    for (QTreeWidgetItem* item : sections) {
        item->setExpanded(sections.size() <= 8);
    }
    group->setExpanded(true);
}

void addObjectives(QTreeWidget* tree, const ExportDiff& d) {
    const std::vector<ObjectChangeRow> rows = objectChangeRows(d);
    auto* group = new QTreeWidgetItem(tree);
    group->setFirstColumnSpanned(true);
    group->setText(0, QString("Objectives: %1 changed, %2 renumbered, %3 unchanged")
                          .arg(rows.size())
                          .arg(d.renumbered)
                          .arg(d.unchanged));
    for (const ObjectChangeRow& r : rows) {
        auto* item = new QTreeWidgetItem(group);
        item->setText(0, qs(r.change));
        item->setText(1, qs(r.before));
        item->setText(2, qs(r.after));
        item->setText(3, qs(r.what));
        item->setToolTip(3, qs(r.what));
        item->setForeground(0, colourOf(r.change));
        setPost(item, r.x, r.y);
    }
    group->setExpanded(true);
}

} // namespace

DiffDialog::DiffDialog(QWidget* owner, const TheaterDiff& diff)
    : QDialog(owner), summary_(new QPlainTextEdit(this)), changes_(new QTreeWidget(this)),
      savePage_(new QPushButton("Save Page...", this)),
      saveJson_(new QPushButton("Save JSON...", this)) {
    setWindowTitle(diff.same() ? "Compare Versions: the Same" : "Compare Versions: Changes");
    setModal(true);
    auto* versions =
        new QLabel("<b>Before:</b> " + versionText(diff.beforeTerrain, diff.beforeSource) +
                       "<br><b>After:</b> " + versionText(diff.afterTerrain, diff.afterSource),
                   this);
    versions->setTextInteractionFlags(Qt::TextSelectableByMouse);
    versions->setWordWrap(true);

    QString summary = qs(diffSummary(diff));
    summary.chop(1); // the last line's end
    summary_->setPlainText(summary);
    summary_->setReadOnly(true);
    summary_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    summary_->setLineWrapMode(QPlainTextEdit::NoWrap);
    const int lines = static_cast<int>(summary.count('\n')) + 1;
    summary_->setFixedHeight(summary_->fontMetrics().lineSpacing() * (lines + 1) + 12);

    changes_->setColumnCount(4);
    changes_->setHeaderLabels({"Change", "Before", "After", "What"});
    changes_->setRootIsDecorated(true);
    changes_->setUniformRowHeights(true);
    if (diff.terrain) {
        addTerrain(changes_, *diff.terrain);
    }
    if (diff.objectives) {
        addObjectives(changes_, *diff.objectives);
    }
    changes_->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    changes_->header()->setStretchLastSection(true);

    auto* close = new QPushButton("Close", this);
    close->setDefault(true);
    savePage_->setAutoDefault(false);
    saveJson_->setAutoDefault(false);
    savePage_->setToolTip("One page: the maps of both versions with the changes marked, and the "
                          "tables of the changes");
    saveJson_->setToolTip("The changes as JSON, as vantor-cli diff --json writes them");
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    connect(changes_, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem* item, QTreeWidgetItem*) {
                const QVariant post = item != nullptr ? item->data(0, Qt::UserRole) : QVariant();
                if (post.isValid()) {
                    emit changeSelected(post.toPoint().x(), post.toPoint().y());
                }
            });
    connect(savePage_, &QPushButton::clicked, this, [this] { emit saveRequested(true); });
    connect(saveJson_, &QPushButton::clicked, this, [this] { emit saveRequested(false); });
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(savePage_);
    buttons->addWidget(saveJson_);
    buttons->addStretch();
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(versions);
    layout->addWidget(summary_);
    layout->addWidget(changes_, 1);
    layout->addLayout(buttons);
    resize(980, 600);
}

QString DiffDialog::summaryText() const {
    return summary_->toPlainText();
}

} // namespace vantor::ui
