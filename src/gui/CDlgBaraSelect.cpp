#include "gui/CDlgBaraSelect.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QScreen>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "kit/DrumTypes.h"
#include "settings/Profile.h"
#include "widgets/QtText.h"

namespace tomaro {

CDlgBaraSelect::CDlgBaraSelect(Profile& profile, QWidget* parent)
    : QDialog(parent), m_Profile(profile), m_List(new QTableWidget(drums::kTypeCount, 1, this)) {
    setWindowTitle(tr("Состав барабанной установки"));

    m_List->setObjectName(QStringLiteral("drumList"));
    m_List->setHorizontalHeaderLabels({tr("Диаметр барабана")});
    m_List->horizontalHeader()->setStretchLastSection(true);
    m_List->horizontalHeader()->setHighlightSections(false);
    m_List->verticalHeader()->hide();
    m_List->setShowGrid(true);
    m_List->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_List->setSelectionMode(QAbstractItemView::SingleSelection);
    m_List->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_List->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    for (int type = 0; type < drums::kTypeCount; ++type) {
        auto* item = new QTableWidgetItem(toQString(drums::shownName(drums::typeName(type))));
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        // A size in the list is a tom's: a 22" kick is "Бочка", its size given in the plan.
        if (type == drums::kKick) {
            item->setToolTip(
                tr("Бочка любого размера; её размер задаётся в окне «Интервалы и "
                   "план»"));
        } else if (type == drums::kSnare) {
            item->setToolTip(
                tr("Малый барабан любого размера; его размер задаётся в окне "
                   "«Интервалы и план»"));
        } else {
            item->setToolTip(tr("Том %1").arg(item->text()));
        }
        m_List->setItem(type, 0, item);
    }
    m_List->resizeRowsToContents();
    showSelection(KitSelection::load(profile));
    m_List->setCurrentCell(0, 0);
    m_List->setFocus();

    // All 20 types visible at once where the screen allows; the list scrolls otherwise.
    int rowsHeight = 0;
    for (int row = 0; row < drums::kTypeCount; ++row) rowsHeight += m_List->rowHeight(row);
    int listHeight =
        rowsHeight + m_List->horizontalHeader()->sizeHint().height() + 2 * m_List->frameWidth();
    const QScreen* screen = this->screen();
    int screenHeight = screen != nullptr ? screen->availableGeometry().height() : 768;
    m_List->setMinimumHeight(std::min(listHeight, std::max(200, screenHeight - 160)));
    m_List->setMinimumWidth(std::max(m_List->horizontalHeader()->sizeHint().width(),
                                     fontMetrics().averageCharWidth() * 28));

    auto* standardSet = new QPushButton(tr("10\" + 12\" + 16\" + бочка"), this);
    standardSet->setObjectName(QStringLiteral("standardSetButton"));
    standardSet->setAutoDefault(false);
    connect(standardSet, &QPushButton::clicked, this, [this] {
        KitSelection selection;
        selection.selectStandardSet();
        showSelection(selection);
    });

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->setObjectName(QStringLiteral("buttonBox"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_List, 1);
    auto* standardRow = new QHBoxLayout;
    standardRow->addWidget(standardSet);
    standardRow->addStretch(1);
    layout->addLayout(standardRow);
    layout->addWidget(buttons);
    // Wide enough for the caption in the title bar.
    setMinimumWidth(fontMetrics().horizontalAdvance(windowTitle()) + 140);
}

KitSelection CDlgBaraSelect::tickedSelection() const {
    KitSelection selection;
    for (int type = 0; type < drums::kTypeCount; ++type) {
        selection.setPresent(type, m_List->item(type, 0)->checkState() == Qt::Checked);
    }
    return selection;
}

void CDlgBaraSelect::accept() {
    tickedSelection().store(m_Profile);
    QDialog::accept();
}

void CDlgBaraSelect::showSelection(const KitSelection& selection) {
    for (int type = 0; type < drums::kTypeCount; ++type) {
        m_List->item(type, 0)->setCheckState(selection.isPresent(type) ? Qt::Checked
                                                                       : Qt::Unchecked);
    }
}

}  // namespace tomaro
