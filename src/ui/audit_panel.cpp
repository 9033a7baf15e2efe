#include "ui/audit_panel.h"

#include "app/command_table.h"
#include "app/commands.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLayout>
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
    QStringList counts;
    QStringList skipped;
    for (AuditCheck check : auditChecks) {
        const AuditOutcome& o = report.outcomes[auditIndex(check)];
        if (!o.selected) {
            continue;
        }
        if (o.skipped) {
            skipped << QString("%1 (%2)").arg(auditCheckName(check),
                                              QString::fromStdString(o.reason));
        } else {
            counts << QString("%1 %2").arg(auditCheckName(check)).arg(o.count);
        }
    }
    QString text = QString("<b>%1 findings</b>: %2").arg(report.total()).arg(counts.join(", "));
    if (report.baseline) {
        const AuditBaseline& b = *report.baseline;
        const QString renumbered =
            b.renumbered > 0 ? QString(", %1 of them under another objective ID").arg(b.renumbered)
                             : QString();
        text += QString("<br><b>%1 new</b> since the baseline %2 (%3 known%4; new ones in bold)")
                    .arg(b.fresh)
                    .arg(QString::fromStdString(b.path).toHtmlEscaped())
                    .arg(b.known)
                    .arg(renumbered);
    }
    if (!skipped.isEmpty()) {
        text += "<br>Skipped: " + skipped.join("; ").toHtmlEscaped();
    }
    return text;
}

} // namespace

QString repairText(const AuditFinding& f) {
    QStringList texts;
    for (const AuditSuggestion& s : f.suggestions) {
        texts << QString::fromStdString(s.text);
    }
    QString text = texts.join("; or ");
    if (!f.repairNote.empty()) {
        const QString note = QString::fromStdString(f.repairNote);
        text = text.isEmpty() ? note : text + " (" + note + ")";
    }
    return text;
}

AuditPanel::AuditPanel(QWidget* parent)
    : QWidget(parent), summary_(new QLabel(this)), findings_(new QTreeWidget(this)),
      repairs_(new QLabel(this)), savePage_(new QPushButton("Save Page...", this)),
      saveJson_(new QPushButton("Save JSON...", this)),
      baseline_(new QPushButton("Compare with Baseline...", this)),
      apply_(new QPushButton("Apply", this)),
      applyAll_(new QPushButton("Apply All of Check", this)) {
    summary_->setWordWrap(true);
    summary_->setTextFormat(Qt::RichText);
    findings_->setRootIsDecorated(false);
    findings_->setUniformRowHeights(true); // keeps a long audit quick to scroll
    findings_->setColumnCount(Columns);
    findings_->setHeaderLabels({"Check", "Map X", "Map Y", "Sect X", "Sect Y", "Tile X", "Tile Y",
                                "Object", "Detail", "Repair"});
    findings_->setSortingEnabled(false);
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
    savePage_->setToolTip("Write the audit as one self-contained page: map, markers and table");
    saveJson_->setToolTip("Write every finding as JSON (docs/audit.schema.json)");
    apply_->setToolTip("Put the selected finding's first repair in place: the terrain pair is "
                       "written back (the previous pair kept in its history: Edit > Undo), a "
                       "Parent goes to a new "
                       "export; for a finding a command mends, run that command");
    applyAll_->setToolTip("Put the first repair of every finding of the selected finding's "
                          "check in place");
    apply_->setEnabled(false);
    applyAll_->setEnabled(false);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(apply_);
    buttons->addWidget(applyAll_);
    buttons->addStretch();
    buttons->addWidget(baseline_);
    buttons->addWidget(savePage_);
    buttons->addWidget(saveJson_);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->addWidget(summary_);
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
    baseline_->setToolTip("Read an earlier audit's JSON: the findings it holds are known, the "
                          "others new (in bold)");
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
    QString text = "<b>" + QString::fromStdString(f.detail).toHtmlEscaped() + "</b>";
    if (!f.suggestions.empty()) {
        text += "<ol style=\"margin: 0\">";
        for (const AuditSuggestion& s : f.suggestions) {
            text += "<li>" + QString::fromStdString(s.text).toHtmlEscaped() + "</li>";
        }
        text += "</ol>";
    }
    if (!f.repairNote.empty()) {
        text += "<br>" + QString::fromStdString(f.repairNote).toHtmlEscaped();
    } else if (f.suggestions.empty()) {
        text += "<br>Nothing here is mended by a tile or a Parent.";
    }
    repairs_->setText(text);
    // A command mends the whole file at once: Apply runs it, and there is nothing more to apply.
    const bool runs = findingCommand(f) != 0;
    apply_->setText(runs ? "Run Command..." : "Apply");
    apply_->setEnabled(canApply(f) || runs);
    applyAll_->setEnabled(canApply(f));
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
    showRepairs(-1);
    QList<QTreeWidgetItem*> items;
    items.reserve(static_cast<qsizetype>(audit.report.findings.size()));
    for (const AuditFinding& f : audit.report.findings) {
        auto* item = new QTreeWidgetItem;
        item->setText(CheckColumn, auditCheckName(f.check));
        const std::int32_t values[] = {f.mapX,
                                       f.mapY,
                                       userSectX(theater, f.mapX),
                                       userSectY(theater, f.mapY),
                                       userTileX(theater, f.mapX),
                                       userTileY(theater, f.mapY)};
        for (int c = MapX; c <= TileY; ++c) {
            item->setText(c, QString::number(values[c - MapX]));
            item->setTextAlignment(c, Qt::AlignRight | Qt::AlignVCenter);
        }
        item->setData(MapX, Qt::UserRole, f.mapX);
        item->setData(MapY, Qt::UserRole, f.mapY);
        if (f.objectId) {
            item->setText(
                Object,
                QString("%1 %2").arg(*f.objectId).arg(QString::fromStdString(f.objectName)));
        }
        item->setData(CheckColumn, Qt::UserRole, static_cast<int>(items.size()));
        const QString detail = QString::fromStdString(f.detail);
        const QString repair = repairText(f);
        item->setText(Detail, detail);
        item->setToolTip(Detail, detail); // the whole text, however narrow the column
        item->setText(Repair, f.suggestions.empty()
                                  ? repair
                                  : QString::fromStdString(f.suggestions.front().text));
        item->setToolTip(Repair, repair);
        if (audit.report.baseline && !f.known) {
            QFont bold = item->font(CheckColumn);
            bold.setBold(true);
            for (int c = 0; c < Columns; ++c) {
                item->setFont(c, bold);
            }
        }
        items.append(item);
    }
    findings_->addTopLevelItems(items);
    for (int c = 0; c <= Detail; ++c) {
        findings_->resizeColumnToContents(c);
    }
}

} // namespace vantor::ui
