#include "ui/audit_panel.h"

#include "app/command_table.h"
#include "app/commands.h"
#include "audit/audit_text.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QResizeEvent>
#include <QScrollArea>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace vantor::ui {

namespace {

enum Column {
    CheckColumn,
    MapX,
    MapY,
    SectX,
    SectY,
    TileX,
    TileY,
    Object,
    Detail,
    Repair,
    Columns
};

QString summaryText(const AuditReport& report) {
    const AuditSummaryText t = auditSummaryText(report);
    const auto q = [](const std::string& text) {
        return QString::fromStdString(text).toHtmlEscaped();
    };
    QString text = "<b>" + q(t.count) + "</b>: " + q(t.byCheck);
    if (!t.fresh.empty()) {
        text += "<br><b>" + q(t.fresh) + "</b> " + q(t.sinceBaseline);
    }
    if (!t.skipped.empty()) {
        text += "<br>Skipped: " + q(t.skipped);
    }
    return text;
}

constexpr int NumberRole = Qt::UserRole + 1; // what a column sorts by, where not its text

// Numbers sort as numbers, the rest as text; rows that are equal keep the audit's order.
class FindingRow : public QTreeWidgetItem {
  public:
    bool operator<(const QTreeWidgetItem& other) const override {
        const int column = treeWidget() != nullptr ? treeWidget()->sortColumn() : 0;
        const QVariant a = data(column, NumberRole);
        const QVariant b = other.data(column, NumberRole);
        int order = 0;
        if (a.isValid() && b.isValid()) {
            order =
                a.toLongLong() < b.toLongLong() ? -1 : (a.toLongLong() > b.toLongLong() ? 1 : 0);
        } else {
            order = text(column).localeAwareCompare(other.text(column));
        }
        if (order != 0) {
            return order < 0;
        }
        return data(CheckColumn, Qt::UserRole).toInt() <
               other.data(CheckColumn, Qt::UserRole).toInt();
    }
};

} // namespace

QString repairText(const AuditFinding& f) {
    return QString::fromStdString(findingRepairsText(f));
}

AuditPanel::AuditPanel(QWidget* parent)
    : QWidget(parent), summary_(new QLabel(this)), workDone_(new QLabel(this)),
      search_(new QLineEdit(this)), checkFilter_(new QComboBox(this)),
      findings_(new QTreeWidget(this)), repairs_(new QLabel(this)),
      savePage_(new QPushButton("Save Page...", this)),
      saveJson_(new QPushButton("Save JSON...", this)),
      baseline_(new QPushButton("Compare with Baseline...", this)),
      apply_(new QPushButton("Apply", this)),
      applyAll_(new QPushButton("Apply All of Check", this)) {
    summary_->setWordWrap(true);
    summary_->setTextFormat(Qt::RichText);
    findings_->setRootIsDecorated(false);
    findings_->setUniformRowHeights(true); // keeps a long audit quick to scroll
    findings_->setColumnCount(Columns);
    QStringList titles;
    for (const char* title : auditColumnTitles) {
        titles << title;
    }
    findings_->setHeaderLabels(titles);
    // Sorted by a click on a column's header; until then in the audit's order.
    findings_->header()->setSortIndicator(-1, Qt::AscendingOrder);
    findings_->setSortingEnabled(true);
    findings_->header()->setSortIndicatorShown(true);
    workDone_->setWordWrap(true);
    workDone_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    workDone_->hide();
    search_->setPlaceholderText("Search the findings");
    search_->setClearButtonEnabled(true);
    checkFilter_->setToolTip(audittips::checkFilter);
    connect(search_, &QLineEdit::textChanged, this, &AuditPanel::filterRows);
    connect(checkFilter_, &QComboBox::currentIndexChanged, this, &AuditPanel::filterRows);
    findings_->header()->setStretchLastSection(true);
    repairs_->setWordWrap(true);
    repairs_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    repairs_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    repairs_->setMargin(4);
    // The selected finding's detail and every repair, whole: wrapped, scrolled when long.
    auto* repairBox = new QScrollArea(this);
    repairBox->setWidget(repairs_);
    repairBox->setWidgetResizable(true);
    repairBox->setFixedHeight(repairs_->fontMetrics().lineSpacing() * 8);
    savePage_->setToolTip(audittips::savePage);
    saveJson_->setToolTip(audittips::saveJson);
    apply_->setToolTip(audittips::apply);
    applyAll_->setToolTip(audittips::applyAll);
    apply_->setEnabled(false);
    applyAll_->setEnabled(false);
    // Two rows, so that the panel can stay narrow beside the map.
    auto* buttons = new QGridLayout;
    buttons->addWidget(apply_, 0, 0);
    buttons->addWidget(applyAll_, 0, 1);
    buttons->addWidget(baseline_, 0, 2);
    buttons->addWidget(savePage_, 1, 1);
    buttons->addWidget(saveJson_, 1, 2);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    auto* filters = new QHBoxLayout;
    filters->addWidget(search_, 1);
    filters->addWidget(checkFilter_);
    column->addWidget(summary_);
    column->addWidget(workDone_);
    column->addLayout(filters);
    column->addWidget(findings_, 1);
    column->addWidget(repairBox);
    column->addLayout(buttons);
    connect(findings_, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem* item, QTreeWidgetItem*) {
                const int finding = currentFinding();
                showRepairs(finding);
                if (item != nullptr) {
                    emit findingSelected(item->data(MapX, Qt::UserRole).toInt(),
                                         item->data(MapY, Qt::UserRole).toInt(), finding);
                }
            });
    connect(savePage_, &QPushButton::clicked, this, &AuditPanel::savePageRequested);
    connect(saveJson_, &QPushButton::clicked, this, &AuditPanel::saveJsonRequested);
    connect(baseline_, &QPushButton::clicked, this, &AuditPanel::baselineRequested);
    baseline_->setToolTip(audittips::baseline);
    connect(apply_, &QPushButton::clicked, this, [this] {
        if (currentFinding() >= 0) {
            emit applyRequested(currentFinding(), false);
        }
    });
    connect(applyAll_, &QPushButton::clicked, this, [this] {
        if (currentFinding() >= 0) {
            emit applyRequested(currentFinding(), true);
        }
    });
}

QTreeWidgetItem* AuditPanel::rowOf(int finding) const {
    for (int i = 0; i < findings_->topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = findings_->topLevelItem(i);
        if (item->data(CheckColumn, Qt::UserRole).toInt() == finding) {
            return item;
        }
    }
    return nullptr;
}

void AuditPanel::selectFinding(int finding) {
    QTreeWidgetItem* item = finding >= 0 ? rowOf(finding) : nullptr;
    if (item == nullptr) {
        findings_->setCurrentItem(nullptr);
        findings_->clearSelection();
        return;
    }
    if (item->isHidden()) { // hidden by the search or the filter: they give way
        search_->clear();
        checkFilter_->setCurrentIndex(0);
    }
    findings_->setCurrentItem(item);
    findings_->scrollToItem(item, QAbstractItemView::PositionAtCenter);
}

void AuditPanel::showWorkDone(const QString& text) {
    workDone_->setText(text);
    workDone_->setVisible(!text.isEmpty());
    fitSummary();
}

void AuditPanel::filterRows() {
    if (audit_ == nullptr) {
        return;
    }
    const std::string wanted = search_->text().toStdString();
    const QVariant check = checkFilter_->currentData();
    const std::optional<std::size_t> only =
        check.isValid() ? std::optional<std::size_t>(check.toInt()) : std::nullopt;
    for (int i = 0; i < findings_->topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = findings_->topLevelItem(i);
        const auto at = static_cast<std::size_t>(item->data(CheckColumn, Qt::UserRole).toInt());
        const AuditFinding& f = audit_->report.findings[at];
        item->setHidden(!auditRowShown(rows_[at], f, wanted, only));
    }
}

int AuditPanel::currentFinding() const {
    const QTreeWidgetItem* item = findings_->currentItem();
    return item == nullptr ? -1 : item->data(CheckColumn, Qt::UserRole).toInt();
}

void AuditPanel::showRepairs(int finding) {
    if (audit_ == nullptr || finding < 0 ||
        static_cast<std::size_t>(finding) >= audit_->report.findings.size()) {
        repairs_->clear();
        apply_->setText("Apply");
        apply_->setEnabled(false);
        applyAll_->setEnabled(false);
        return;
    }
    const AuditFinding& f = audit_->report.findings[static_cast<std::size_t>(finding)];
    const FindingExplanation e = explainFinding(f, findingCommand(f));
    QString text = "<b>" + QString::fromStdString(e.detail).toHtmlEscaped() + "</b>";
    if (!e.suggestions.empty()) {
        text += "<ol style=\"margin: 0\">";
        for (const std::string& s : e.suggestions) {
            text += "<li>" + QString::fromStdString(s).toHtmlEscaped() + "</li>";
        }
        text += "</ol>";
    }
    if (!e.note.empty()) {
        text += "<br>" + QString::fromStdString(e.note).toHtmlEscaped();
    }
    repairs_->setText(text);
    apply_->setText(QString::fromStdString(e.applyText));
    apply_->setEnabled(e.applyEnabled);
    applyAll_->setEnabled(e.applyAllEnabled);
}

// A wrapped label is given the height of its text at the width it has: the layout asks it at
// another width, and the baseline's line was then cut off.
void AuditPanel::fitSummary() {
    if (width() <= 0) {
        return; // not laid out yet: the first resize fits it
    }
    summary_->setMinimumHeight(0); // the label's height for a width is never below its minimum
    const int height = summary_->heightForWidth(width());
    summary_->setMinimumHeight(height);
    if (layout() != nullptr) {
        layout()->activate();
    }
}

void AuditPanel::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    fitSummary();
}

void AuditPanel::showAudit(const TheaterAudit& audit, const TheaterDefinition& theater) {
    audit_ = &audit;
    summary_->setText(summaryText(audit.report));
    fitSummary();
    findings_->clear();
    workDone_->clear();
    workDone_->hide();
    showRepairs(-1);
    // The filter offers the checks that found something, with their counts.
    const QVariant filtered = checkFilter_->currentData();
    checkFilter_->blockSignals(true);
    checkFilter_->clear();
    checkFilter_->addItem(allChecksEntry);
    for (const AuditFilterEntry& entry : auditFilterEntries(audit.report)) {
        checkFilter_->addItem(QString::fromStdString(entry.text), static_cast<int>(entry.check));
    }
    checkFilter_->setCurrentIndex(std::max(0, checkFilter_->findData(filtered)));
    checkFilter_->blockSignals(false);
    QList<QTreeWidgetItem*> items;
    items.reserve(static_cast<qsizetype>(audit.report.findings.size()));
    rows_.clear();
    rows_.reserve(audit.report.findings.size());
    for (const AuditFinding& f : audit.report.findings) {
        const AuditRow& row = rows_.emplace_back(auditRow(audit.report, f, theater));
        auto* item = new FindingRow;
        for (int c = 0; c < Columns; ++c) {
            const auto column = static_cast<std::size_t>(c);
            item->setText(c, QString::fromStdString(row.text[column]));
            if (row.number[column]) {
                item->setData(c, NumberRole, static_cast<qlonglong>(*row.number[column]));
            }
            if (c >= MapX && c <= TileY) {
                item->setTextAlignment(c, Qt::AlignRight | Qt::AlignVCenter);
            }
        }
        item->setData(MapX, Qt::UserRole, f.mapX);
        item->setData(MapY, Qt::UserRole, f.mapY);
        item->setData(CheckColumn, Qt::UserRole, static_cast<int>(items.size()));
        item->setToolTip(Detail, item->text(Detail)); // the whole text, however narrow the column
        item->setToolTip(Repair, QString::fromStdString(row.repairs));
        if (row.fresh) {
            QFont bold = item->font(CheckColumn);
            bold.setBold(true);
            for (int c = 0; c < Columns; ++c) {
                item->setFont(c, bold);
            }
        }
        items.append(item);
    }
    // Added in the audit's order, then sorted as the user last chose (not at all until then).
    const int sortColumn = findings_->header()->sortIndicatorSection();
    const Qt::SortOrder sortOrder = findings_->header()->sortIndicatorOrder();
    findings_->setSortingEnabled(false);
    findings_->addTopLevelItems(items);
    findings_->header()->setSortIndicator(sortColumn, sortOrder);
    findings_->setSortingEnabled(true);
    filterRows();
    for (int c = 0; c <= Detail; ++c) {
        findings_->resizeColumnToContents(c);
    }
}

} // namespace vantor::ui
