#include "gui/HistoryBar.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "gui/SnapshotsWindow.h"
#include "history/HistoryStore.h"
#include "language/TranslatedText.h"
#include "tuning/Tuner.h"
#include "widgets/QtText.h"

namespace tomaro {
HistoryBar::HistoryBar(Tuner& tuner, history::HistoryStore& store, SnapshotsWindowServices services,
                       QWidget* parent)
    : QWidget(parent), m_Tuner(tuner), m_Store(store), m_Services(std::move(services)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* row = new QHBoxLayout;
    auto* open = i18n::withText(new QPushButton(this), this, QT_TR_NOOP("Снимки..."));
    open->setObjectName(QStringLiteral("snapshotsButton"));
    i18n::setToolTip(open, this,
                     QT_TR_NOOP("Снимки настройки: запомнить, сравнить и вернуть настройку "
                                "комплекта"));
    connect(open, &QPushButton::clicked, this, &HistoryBar::showSnapshots);
    row->addWidget(open);
    m_RecallLine = new QLabel(this);
    m_RecallLine->setObjectName(QStringLiteral("recallLine"));
    m_RecallLine->setWordWrap(true);
    row->addWidget(m_RecallLine, 1);
    m_EndRecall = i18n::withText(new QPushButton(this), this, QT_TR_NOOP("Завершить возврат"));
    m_EndRecall->setObjectName(QStringLiteral("barEndRecall"));
    connect(m_EndRecall, &QPushButton::clicked, this, [this] {
        m_Tuner.setRecall(std::nullopt);
        if (m_Window) m_Window->refresh();
        showRecall();
        emit tunerChanged();
    });
    row->addWidget(m_EndRecall);
    layout->addLayout(row);
    m_MessageLine = new QLabel(this);
    m_MessageLine->setObjectName(QStringLiteral("historyMessage"));
    m_MessageLine->setWordWrap(true);
    m_MessageLine->setStyleSheet(QStringLiteral("color: #b03020;"));
    layout->addWidget(m_MessageLine);
    showRecall();
    showMessage();
}

// The Tuner may be gone by now (the main window's members go before its child widgets): it is
// not touched here.
HistoryBar::~HistoryBar() = default;

void HistoryBar::showSnapshots() {
    if (!m_Window) {
        m_Window = std::make_unique<SnapshotsWindow>(m_Tuner, m_Store, m_Services, this);
        connect(m_Window.get(), &SnapshotsWindow::recallChanged, this, [this] {
            showRecall();
            emit tunerChanged();
        });
    }
    m_Window->refresh();
    m_Window->show();
    m_Window->raise();
    showMessage();
}

void HistoryBar::strikeAnalysed() {
    showMessage();
    if (m_Window && m_Window->isVisible()) m_Window->refresh();
}

void HistoryBar::showRecall() {
    const history::Snapshot* recall = m_Tuner.recall();
    m_RecallLine->setVisible(recall != nullptr);
    m_EndRecall->setVisible(recall != nullptr);
    if (recall) {
        m_RecallLine->setText(
            tr("Возврат к снимку «%1» от %2")
                .arg(toQString(recall->info.name), SnapshotsWindow::dateText(recall->info.timeMs)));
    }
}

void HistoryBar::showMessage() {
    // Each message of the history is shown once and stays until the next one.
    // The history's messages are a line of the main window, not a box: the tuner goes on.
    if (auto message = m_Store.takeMessage()) m_MessageLine->setText(toQString(message->text));
    m_MessageLine->setVisible(!m_MessageLine->text().isEmpty());
}

void HistoryBar::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange) {
        i18n::retranslate(this);
        showRecall();
    }
    QWidget::changeEvent(event);
}

}  // namespace tomaro
