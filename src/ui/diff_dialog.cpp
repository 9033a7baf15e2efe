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

// The rows of the core's tree of changes, under their parents; a changed section's or
// objective's mark colour, a little darker to read as text on white.
void addRows(QTreeWidget* tree, const std::vector<ComparisonRow>& rows) {
    std::vector<QTreeWidgetItem*> parents;
    std::vector<QTreeWidgetItem*> items;
    for (const ComparisonRow& row : rows) {
        parents.resize(static_cast<std::size_t>(row.depth));
        auto* item =
            parents.empty() ? new QTreeWidgetItem(tree) : new QTreeWidgetItem(parents.back());
        for (int c = 0; c < 4; ++c) {
            item->setText(c, qs(row.text[c]));
        }
        if (row.depth == 0 || (row.text[1].empty() && row.text[2].empty() && !row.post)) {
            item->setFirstColumnSpanned(true);
        }
        item->setToolTip(3, qs(row.text[3]));
        if (row.colour) {
            item->setForeground(0, QColor::fromRgb(*row.colour).darker(125));
        }
        if (row.post) {
            item->setData(0, Qt::UserRole, QPoint(row.post->first, row.post->second));
        }
        parents.push_back(item);
        items.push_back(item);
    }
    for (std::size_t i = 0; i < rows.size(); ++i) { // once each has its children
        items[i]->setExpanded(rows[i].expanded);
    }
}

} // namespace

DiffDialog::DiffDialog(QWidget* owner, const TheaterDiff& diff)
    : QDialog(owner), summary_(new QPlainTextEdit(this)), changes_(new QTreeWidget(this)),
      savePage_(new QPushButton("Save Page...", this)),
      saveJson_(new QPushButton("Save JSON...", this)) {
    setWindowTitle(qs(comparisonTitle(diff)));
    setModal(true);
    auto* versions = new QLabel(
        "<b>Before:</b> " +
            qs(comparisonVersionText(diff.beforeTerrain, diff.beforeSource)).toHtmlEscaped() +
            "<br><b>After:</b> " +
            qs(comparisonVersionText(diff.afterTerrain, diff.afterSource)).toHtmlEscaped(),
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
    changes_->setHeaderLabels({comparisonColumnTitles[0], comparisonColumnTitles[1],
                               comparisonColumnTitles[2], comparisonColumnTitles[3]});
    changes_->setRootIsDecorated(true);
    changes_->setUniformRowHeights(true);
    addRows(changes_, comparisonRows(diff));
    changes_->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    changes_->header()->setStretchLastSection(true);

    auto* close = new QPushButton("Close", this);
    close->setDefault(true);
    savePage_->setAutoDefault(false);
    saveJson_->setAutoDefault(false);
    savePage_->setToolTip(comparisonPageTip);
    saveJson_->setToolTip(comparisonJsonTip);
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
