#include "ui/audit_panel.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace vantor::ui {

namespace {

enum Column { CheckColumn, MapX, MapY, SectX, SectY, TileX, TileY, Object, Detail, Columns };

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
    if (!skipped.isEmpty()) {
        text += "<br>Skipped: " + skipped.join("; ").toHtmlEscaped();
    }
    return text;
}

} // namespace

AuditPanel::AuditPanel(QWidget* parent)
    : QWidget(parent), summary_(new QLabel(this)), findings_(new QTreeWidget(this)),
      savePage_(new QPushButton("Save Page...", this)),
      saveJson_(new QPushButton("Save JSON...", this)) {
    summary_->setWordWrap(true);
    summary_->setTextFormat(Qt::RichText);
    findings_->setRootIsDecorated(false);
    findings_->setUniformRowHeights(true); // keeps a long audit quick to scroll
    findings_->setColumnCount(Columns);
    findings_->setHeaderLabels(
        {"Check", "Map X", "Map Y", "Sect X", "Sect Y", "Tile X", "Tile Y", "Object", "Detail"});
    findings_->setSortingEnabled(false);
    findings_->header()->setStretchLastSection(true);
    savePage_->setToolTip("Write the audit as one self-contained page: map, markers and table");
    saveJson_->setToolTip("Write every finding as JSON (docs/audit.schema.json)");
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(savePage_);
    buttons->addWidget(saveJson_);
    buttons->addStretch();
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->addWidget(summary_);
    column->addWidget(findings_, 1);
    column->addLayout(buttons);
    connect(findings_, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem* item, QTreeWidgetItem*) {
                if (item != nullptr) {
                    emit findingSelected(item->data(MapX, Qt::UserRole).toInt(),
                                         item->data(MapY, Qt::UserRole).toInt());
                }
            });
    connect(savePage_, &QPushButton::clicked, this, &AuditPanel::savePageRequested);
    connect(saveJson_, &QPushButton::clicked, this, &AuditPanel::saveJsonRequested);
}

void AuditPanel::showAudit(const TheaterAudit& audit, const TheaterDefinition& theater) {
    summary_->setText(summaryText(audit.report));
    findings_->clear();
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
        item->setText(Detail, QString::fromStdString(f.detail));
        items.append(item);
    }
    findings_->addTopLevelItems(items);
    for (int c = 0; c < Detail; ++c) {
        findings_->resizeColumnToContents(c);
    }
}

} // namespace vantor::ui
