#pragma once

#include <QString>
#include <QWidget>
#include <cstdint>
#include <vector>

#include "gui/SnapshotsWindowServices.h"

class QLabel;
class QPushButton;
class QTableWidget;

namespace tomaro {

class Tuner;
namespace history {
class HistoryStore;
struct Snapshot;
}  // namespace history

// The window "Снимки настройки": snapshots of the kit as the history has it (every drum's last
// good strike and its heads' last rods), taken, listed, renamed, deleted, compared two by two
// (per drum and per rod, in cents), written out as CSV or JSON, and recalled ("Вернуть эту
// настройку"): the Tuner then tunes each drum back to the snapshot, and the window shows the drift
// since it. User-interface thread only.
class SnapshotsWindow : public QWidget {
    Q_OBJECT

public:
    using SnapshotChoice = SnapshotsWindowServices::SnapshotChoice;
    using Services = SnapshotsWindowServices;

    SnapshotsWindow(Tuner& tuner, history::HistoryStore& store, Services services = {},
                    QWidget* parent = nullptr);
    ~SnapshotsWindow() override;

    // The list and the drift read again (after a strike, or when shown).
    void refresh();
    // The buttons' actions, on the selected snapshots of the list.
    std::int64_t takeSnapshot();
    void renameSelected();
    void deleteSelected();
    // Two selected: the older against the newer; one: against the kit as it is now.
    void compareSelected();
    bool exportSelected(const QString& path, bool json);
    void recallSelected();
    void endRecall();

    QTableWidget* list() const { return m_List; }
    QTableWidget* comparison() const { return m_Comparison; }
    QLabel* comparisonTitle() const { return m_ComparisonTitle; }

    // A snapshot's date as the user reads it: local time, "dd.MM.yyyy HH:mm".
    static QString dateText(std::int64_t timeMs);

signals:
    // A recall began or ended: the tuning view's targets changed.
    void recallChanged();

protected:
    void changeEvent(QEvent* event) override;

private:
    std::vector<std::int64_t> selectedIds() const;
    void chooseExport(bool json);
    void showComparison(const history::Snapshot& from, const history::Snapshot& to,
                        const QString& title);
    void updateButtons();

    Tuner& m_Tuner;
    history::HistoryStore& m_Store;
    Services m_Services;
    QTableWidget* m_List = nullptr;
    QTableWidget* m_Comparison = nullptr;
    QLabel* m_ComparisonTitle = nullptr;
    QLabel* m_StoreLine = nullptr;
    QPushButton* m_Rename = nullptr;
    QPushButton* m_Delete = nullptr;
    QPushButton* m_Compare = nullptr;
    QPushButton* m_ExportCsv = nullptr;
    QPushButton* m_ExportJson = nullptr;
    QPushButton* m_Recall = nullptr;
    QPushButton* m_EndRecall = nullptr;
    // Two snapshots compared by the user (0: none); the drift of a recall is shown otherwise.
    std::int64_t m_ComparedFrom = 0;
    std::int64_t m_ComparedTo = -1;
};

}  // namespace tomaro
