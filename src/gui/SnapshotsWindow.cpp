#include "gui/SnapshotsWindow.h"

#include <QDateTime>
#include <QEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSaveFile>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "history/HistoryStore.h"
#include "history/SnapshotExport.h"
#include "kit/DrumTypes.h"
#include "language/TranslatedText.h"
#include "tuning/Tuner.h"
#include "widgets/QtText.h"

namespace tomaro {
namespace {

// A new snapshot's name: to the second, so that two taken in the same minute differ.
QString defaultName() {
    return QDateTime::currentDateTime().toString(QStringLiteral("dd.MM.yyyy HH:mm:ss"));
}

// The name column is never wider than about this many characters: a long name is elided and the
// date and the drums stay in view (the whole name is in the tool tip).
constexpr int kNameCharsMax = 36;

QString drumText(const std::string& name) { return toQString(drums::shownName(name)); }

QString hzText(double hz) { return hz > 0.0 ? QString::number(hz, 'f', 2) : QStringLiteral("—"); }

QTableWidgetItem* cell(const QString& text, Qt::Alignment alignment = Qt::AlignLeft) {
    auto* item = new QTableWidgetItem(text);
    item->setFlags(item->flags() & ~Qt::ItemIsEditable);
    item->setTextAlignment(alignment | Qt::AlignVCenter);
    return item;
}

// What went wrong with the snapshots, in the window's words: in a box like the history's own
// messages.
UserMessage warning(const QString& text) {
    return UserMessage{toUtf8(text), kProgramCaption, UserMessage::Severity::Warning};
}

}  // namespace

QString SnapshotsWindow::dateText(std::int64_t timeMs) {
    return QDateTime::fromMSecsSinceEpoch(timeMs).toString(QStringLiteral("dd.MM.yyyy HH:mm"));
}

SnapshotsWindow::SnapshotsWindow(Tuner& tuner, history::HistoryStore& store, Services services,
                                 QWidget* parent)
    : QWidget(parent, Qt::Window),
      m_Tuner(tuner),
      m_Store(store),
      m_Services(Services::withDefaults(std::move(services))) {
    setObjectName(QStringLiteral("snapshotsWindow"));
    i18n::setWindowTitle(this, this, QT_TR_NOOP("Снимки настройки"));
    resize(720, 560);
    auto* layout = new QVBoxLayout(this);

    m_List = new QTableWidget(0, 3, this);
    m_List->setObjectName(QStringLiteral("snapshotList"));
    m_List->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_List->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_List->horizontalHeader()->setStretchLastSection(true);
    m_List->verticalHeader()->hide();
    connect(m_List, &QTableWidget::itemSelectionChanged, this, &SnapshotsWindow::updateButtons);
    layout->addWidget(m_List, 2);

    auto* buttons = new QHBoxLayout;
    auto button = [&](const char* source, const char* name, auto action) {
        auto* b = i18n::withText(new QPushButton(this), this, source);
        b->setObjectName(QString::fromLatin1(name));
        connect(b, &QPushButton::clicked, this, action);
        buttons->addWidget(b);
        return b;
    };
    button(QT_TR_NOOP("Снимок настройки"), "takeSnapshot", [this] { takeSnapshot(); });
    m_Rename =
        button(QT_TR_NOOP("Переименовать..."), "renameSnapshot", [this] { renameSelected(); });
    m_Delete = button(QT_TR_NOOP("Удалить"), "deleteSnapshot", [this] { deleteSelected(); });
    m_Compare = button(QT_TR_NOOP("Сравнить"), "compareSnapshots", [this] { compareSelected(); });
    m_ExportCsv = button(QT_TR_NOOP("CSV..."), "exportCsv", [this] { chooseExport(false); });
    m_ExportJson = button(QT_TR_NOOP("JSON..."), "exportJson", [this] { chooseExport(true); });
    layout->addLayout(buttons);

    auto* recallRow = new QHBoxLayout;
    m_Recall = i18n::withText(new QPushButton(this), this, QT_TR_NOOP("Вернуть эту настройку"));
    m_Recall->setObjectName(QStringLiteral("recallSnapshot"));
    i18n::setToolTip(m_Recall, this,
                     QT_TR_NOOP("Настраивать каждый барабан к его частоте в снимке, а пластики по "
                                "винтам — к их средней частоте в снимке"));
    connect(m_Recall, &QPushButton::clicked, this, [this] { recallSelected(); });
    m_EndRecall = i18n::withText(new QPushButton(this), this, QT_TR_NOOP("Завершить возврат"));
    m_EndRecall->setObjectName(QStringLiteral("endRecall"));
    connect(m_EndRecall, &QPushButton::clicked, this, [this] { endRecall(); });
    recallRow->addWidget(m_Recall);
    recallRow->addWidget(m_EndRecall);
    recallRow->addStretch(1);
    layout->addLayout(recallRow);

    m_ComparisonTitle = new QLabel(this);
    m_ComparisonTitle->setObjectName(QStringLiteral("comparisonTitle"));
    m_ComparisonTitle->setWordWrap(true);
    layout->addWidget(m_ComparisonTitle);
    m_Comparison = new QTableWidget(0, 6, this);
    m_Comparison->setObjectName(QStringLiteral("comparison"));
    m_Comparison->horizontalHeader()->setStretchLastSection(true);
    m_Comparison->verticalHeader()->hide();
    layout->addWidget(m_Comparison, 3);
    m_StoreLine = new QLabel(this);
    m_StoreLine->setWordWrap(true);
    layout->addWidget(m_StoreLine);
    refresh();
}

SnapshotsWindow::~SnapshotsWindow() = default;

void SnapshotsWindow::refresh() {
    m_List->setHorizontalHeaderLabels({tr("Название"), tr("Дата"), tr("Барабаны")});
    m_Comparison->setHorizontalHeaderLabels({tr("Барабан"), tr("Пластик"), tr("Винт"),
                                             tr("Было, Гц"), tr("Стало, Гц"), tr("Отклонение, ¢")});
    const std::vector<std::int64_t> selected = selectedIds();
    const std::vector<history::SnapshotInfo> snapshots = m_Store.snapshots();
    m_List->setRowCount(static_cast<int>(snapshots.size()));
    for (int row = 0; row < static_cast<int>(snapshots.size()); ++row) {
        const history::SnapshotInfo& info = snapshots[static_cast<std::size_t>(row)];
        QStringList drums;
        for (const std::string& drum : info.drums) drums << drumText(drum);
        auto* name = cell(toQString(info.name));
        name->setData(Qt::UserRole, QVariant::fromValue<qlonglong>(info.id));
        name->setToolTip(toQString(info.name));
        m_List->setItem(row, 0, name);
        m_List->setItem(row, 1, cell(dateText(info.timeMs)));
        m_List->setItem(row, 2, cell(drums.join(QStringLiteral(", "))));
        if (std::find(selected.begin(), selected.end(), info.id) != selected.end())
            m_List->selectRow(row);
    }
    m_List->resizeColumnsToContents();
    const int nameMax = m_List->fontMetrics().averageCharWidth() * kNameCharsMax;
    if (m_List->columnWidth(0) > nameMax) m_List->setColumnWidth(0, nameMax);
    m_List->horizontalHeader()->setStretchLastSection(true);

    // The comparison the user asked for, else the drift of the recalled snapshot.
    const auto from = m_Store.snapshot(m_ComparedFrom);
    if (from && m_ComparedTo != -1) {
        const auto to = m_ComparedTo > 0 ? m_Store.snapshot(m_ComparedTo)
                                         : std::optional(m_Store.currentState());
        if (to) {
            const QString toName =
                m_ComparedTo > 0
                    ? tr("«%1» от %2").arg(toQString(to->info.name), dateText(to->info.timeMs))
                    : tr("настройка сейчас");
            showComparison(
                *from, *to,
                tr("Снимок «%1» от %2 → %3")
                    .arg(toQString(from->info.name), dateText(from->info.timeMs), toName));
        }
    } else if (const history::Snapshot* recalled = m_Tuner.recall()) {
        showComparison(*recalled, m_Store.currentState(),
                       tr("Уход настройки с %1 (снимок «%2»), в центах")
                           .arg(dateText(recalled->info.timeMs), toQString(recalled->info.name)));
    } else {
        m_Comparison->setRowCount(0);
        m_ComparisonTitle->setText(
            tr("Выберите два снимка и нажмите «Сравнить», или один — чтобы сравнить его с "
               "настройкой сейчас."));
    }
    m_StoreLine->setText(
        m_Store.isOpen()
            ? QString()
            : tr("История настройки недоступна: %1").arg(QString::fromStdString(m_Store.path())));
    updateButtons();
}

void SnapshotsWindow::showComparison(const history::Snapshot& from, const history::Snapshot& to,
                                     const QString& title) {
    m_ComparisonTitle->setText(title);
    const std::vector<history::DriftLine> lines = history::compare(from, to);
    m_Comparison->setRowCount(static_cast<int>(lines.size()));
    for (int row = 0; row < static_cast<int>(lines.size()); ++row) {
        const history::DriftLine& line = lines[static_cast<std::size_t>(row)];
        QString head = tr("весь барабан");
        if (line.struck == history::Struck::Batter) head = tr("ударный");
        if (line.struck == history::Struck::Reso) head = tr("резонансный");
        if (line.struck == history::Struck::Centre) head = tr("центр");
        m_Comparison->setItem(row, 0, cell(drumText(line.drum)));
        m_Comparison->setItem(row, 1, cell(head));
        m_Comparison->setItem(
            row, 2, cell(line.lug > 0 ? QString::number(line.lug) : QString(), Qt::AlignRight));
        m_Comparison->setItem(row, 3, cell(hzText(line.fromHz), Qt::AlignRight));
        m_Comparison->setItem(row, 4,
                              line.measuredSince ? cell(hzText(line.toHz), Qt::AlignRight)
                                                 : cell(tr("не измерен"), Qt::AlignRight));
        const QString cents = line.cents
                                  ? (*line.cents >= 0.05 ? QStringLiteral("+") : QString()) +
                                        QString::number(*line.cents, 'f', 1) + QStringLiteral(" ¢")
                                  : QStringLiteral("—");
        m_Comparison->setItem(row, 5, cell(cents, Qt::AlignRight));
    }
    m_Comparison->resizeColumnsToContents();
    m_Comparison->horizontalHeader()->setStretchLastSection(true);
}

std::vector<std::int64_t> SnapshotsWindow::selectedIds() const {
    std::vector<std::int64_t> ids;
    for (const QModelIndex& index : m_List->selectionModel()->selectedRows()) {
        if (const QTableWidgetItem* item = m_List->item(index.row(), 0))
            ids.push_back(item->data(Qt::UserRole).toLongLong());
    }
    return ids;
}

void SnapshotsWindow::updateButtons() {
    const std::size_t selected = selectedIds().size();
    m_Rename->setEnabled(selected == 1);
    m_Delete->setEnabled(selected >= 1);
    m_Compare->setEnabled(selected == 1 || selected == 2);
    m_ExportCsv->setEnabled(selected == 1);
    m_ExportJson->setEnabled(selected == 1);
    m_Recall->setEnabled(selected == 1);
    m_EndRecall->setEnabled(m_Tuner.recall() != nullptr);
}

std::int64_t SnapshotsWindow::takeSnapshot() {
    const auto choice = m_Services.askSnapshot(this, defaultName());
    if (!choice) return 0;
    const QString trimmed = choice->name.trimmed();
    const std::int64_t id = m_Store.createSnapshot(
        (trimmed.isEmpty() ? defaultName() : trimmed).toStdString(), 0, choice->withFileStrikes);
    if (id == 0) {
        std::optional<UserMessage> message = m_Store.takeMessage();
        if (!message) {
            message =
                warning(!choice->withFileStrikes && !m_Store.currentState(true).drums.empty()
                            ? tr("Снимок не сделан: в истории есть только удары из файлов. Чтобы "
                                 "включить их в снимок, отметьте «включить удары из файлов».")
                            : tr("Снимок не сделан: в истории ещё нет ни одного удара по "
                                 "барабанам комплекта."));
        }
        m_Services.warn(this, *message);
        return 0;
    }
    refresh();
    for (int row = 0; row < m_List->rowCount(); ++row) {
        if (m_List->item(row, 0)->data(Qt::UserRole).toLongLong() == id) m_List->selectRow(row);
    }
    return id;
}

void SnapshotsWindow::renameSelected() {
    const std::vector<std::int64_t> ids = selectedIds();
    if (ids.size() != 1) return;
    const auto snapshot = m_Store.snapshot(ids[0]);
    if (!snapshot) return;
    const auto name = m_Services.askText(this, tr("Переименовать снимок"), tr("Название снимка:"),
                                         toQString(snapshot->info.name));
    if (!name || name->trimmed().isEmpty()) return;
    if (!m_Store.renameSnapshot(ids[0], name->trimmed().toStdString())) {
        m_Services.warn(this, m_Store.takeMessage().value_or(warning(QString())));
    }
    if (m_Tuner.recall() && m_Tuner.recall()->info.id == ids[0]) {
        m_Tuner.setRecall(m_Store.snapshot(ids[0]));
        emit recallChanged();
    }
    refresh();
}

void SnapshotsWindow::deleteSelected() {
    const std::vector<std::int64_t> ids = selectedIds();
    if (ids.empty()) return;
    if (!m_Services.confirm(this, tr("Удалить выбранные снимки (%1)?").arg(ids.size()))) return;
    for (std::int64_t id : ids) {
        m_Store.deleteSnapshot(id);
        if (m_Tuner.recall() && m_Tuner.recall()->info.id == id) endRecall();
        if (id == m_ComparedFrom || id == m_ComparedTo) m_ComparedTo = -1;
    }
    m_List->clearSelection();
    refresh();
}

void SnapshotsWindow::compareSelected() {
    std::vector<std::int64_t> ids = selectedIds();
    if (ids.empty() || ids.size() > 2) return;
    std::vector<std::pair<std::int64_t, std::int64_t>> byTime;  // time, id
    for (std::int64_t id : ids) {
        if (const auto snapshot = m_Store.snapshot(id))
            byTime.emplace_back(snapshot->info.timeMs, id);
    }
    std::sort(byTime.begin(), byTime.end());
    if (byTime.empty()) return;
    m_ComparedFrom = byTime.front().second;
    m_ComparedTo = byTime.size() == 2 ? byTime.back().second : 0;
    refresh();
}

bool SnapshotsWindow::exportSelected(const QString& path, bool json) {
    const std::vector<std::int64_t> ids = selectedIds();
    if (ids.size() != 1) return false;
    const auto snapshot = m_Store.snapshot(ids[0]);
    if (!snapshot) return false;
    const std::string text =
        json ? history::snapshotJson(*snapshot) + "\n" : history::snapshotCsv(*snapshot);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return false;
    file.write(text.data(), static_cast<qint64>(text.size()));
    return file.commit();
}

void SnapshotsWindow::chooseExport(bool json) {
    const QString path = m_Services.chooseSaveFile(
        this, json ? tr("Экспорт снимка в JSON") : tr("Экспорт снимка в CSV"),
        json ? QStringLiteral("snapshot.json") : QStringLiteral("snapshot.csv"),
        json ? tr("JSON - файлы (*.json)") : tr("CSV - файлы (*.csv)"));
    if (path.isEmpty()) return;
    if (!exportSelected(path, json))
        m_Services.warn(this, warning(tr("Не удалось записать файл %1").arg(path)));
}

void SnapshotsWindow::recallSelected() {
    const std::vector<std::int64_t> ids = selectedIds();
    if (ids.size() != 1) return;
    auto snapshot = m_Store.snapshot(ids[0]);
    if (!snapshot) return;
    m_Tuner.setRecall(std::move(snapshot));
    m_ComparedTo = -1;
    emit recallChanged();
    refresh();
}

void SnapshotsWindow::endRecall() {
    if (!m_Tuner.recall()) return;
    m_Tuner.setRecall(std::nullopt);
    emit recallChanged();
    refresh();
}

void SnapshotsWindow::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange) {
        i18n::retranslate(this);
        refresh();
    }
    QWidget::changeEvent(event);
}

}  // namespace tomaro
