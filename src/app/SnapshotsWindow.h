#pragma once

#include <QString>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

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
    // What the drummer chose for a new snapshot.
    struct SnapshotChoice {
        QString name;
        // Readings from sound files opened while exploring count as the drums' tuning.
        bool withFileStrikes = false;
    };

    // The modal pieces, replaceable so that tests never block on them.
    struct Services {
        // Asks for a new snapshot's name (starting from `initial`) and whether readings from
        // files go in (off at first); nullopt when cancelled.
        std::function<std::optional<SnapshotChoice>(QWidget* parent, const QString& initial)>
            askSnapshot;
        // Asks for a text; nullopt when cancelled.
        std::function<std::optional<QString>(QWidget* parent, const QString& title,
                                             const QString& label, const QString& initial)>
            askText;
        // Asks where to save; empty when cancelled.
        std::function<QString(QWidget* parent, const QString& title, const QString& initial,
                              const QString& filters)>
            chooseSaveFile;
        // Asks yes or no.
        std::function<bool(QWidget* parent, const QString& text)> confirm;
        // Says something went wrong.
        std::function<void(QWidget* parent, const QString& text)> warn;
        static Services withDefaults(Services services);
    };

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

// The main window's part of the history: the button "Снимки..." that opens the snapshots window,
// the line "Возврат к снимку «NAME» от DATE" with the end of the recall while one is active, and
// the history's messages (a damaged file moved aside, a disk that is full) said once. It owns the
// history at `storePath` and hands it to the Tuner. User-interface thread only.
class HistoryBar : public QWidget {
    Q_OBJECT

public:
    HistoryBar(Tuner& tuner, const QString& storePath, SnapshotsWindow::Services services = {},
               QWidget* parent = nullptr);
    ~HistoryBar() override;

    history::HistoryStore& store() { return *m_Store; }
    // The snapshots window, made when first opened (null before).
    SnapshotsWindow* snapshotsWindow() const { return m_Window.get(); }
    void showSnapshots();
    // After every analysis: the history's message, if any, and the drift of a recall.
    void strikeAnalysed();
    QLabel* recallLine() const { return m_RecallLine; }
    QLabel* messageLine() const { return m_MessageLine; }

    // Where the window keeps the history: AppDataLocation + "/tomaro.sqlite".
    static QString defaultStorePath();

signals:
    void tunerChanged();

protected:
    void changeEvent(QEvent* event) override;

private:
    void showRecall();
    void showMessage();

    Tuner& m_Tuner;
    std::unique_ptr<history::HistoryStore> m_Store;
    SnapshotsWindow::Services m_Services;
    std::unique_ptr<SnapshotsWindow> m_Window;
    QLabel* m_RecallLine = nullptr;
    QPushButton* m_EndRecall = nullptr;
    QLabel* m_MessageLine = nullptr;
};

}  // namespace tomaro
