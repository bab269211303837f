#pragma once

#include <QString>
#include <QWidget>
#include <memory>

#include "gui/SnapshotsWindowServices.h"

class QLabel;
class QPushButton;

namespace tomaro {

class SnapshotsWindow;
class Tuner;
namespace history {
class HistoryStore;
}  // namespace history

// The main window's part of the history: the button "Снимки..." that opens the snapshots window,
// the line "Возврат к снимку «NAME» от DATE" with the end of the recall while one is active, and
// the history's messages (a damaged file moved aside, a disk that is full) said once. The
// history is the application's, lent for the bar's life (the store outlives it). User-interface
// thread only.
class HistoryBar : public QWidget {
    Q_OBJECT

public:
    HistoryBar(Tuner& tuner, history::HistoryStore& store, SnapshotsWindowServices services = {},
               QWidget* parent = nullptr);
    ~HistoryBar() override;

    history::HistoryStore& store() { return m_Store; }
    // The snapshots window, made when first opened (null before).
    SnapshotsWindow* snapshotsWindow() const { return m_Window.get(); }
    void showSnapshots();
    // After every analysis: the history's message, if any, and the drift of a recall.
    void strikeAnalysed();
    QLabel* recallLine() const { return m_RecallLine; }
    QLabel* messageLine() const { return m_MessageLine; }

signals:
    void tunerChanged();

protected:
    void changeEvent(QEvent* event) override;

private:
    void showRecall();
    void showMessage();

    Tuner& m_Tuner;
    history::HistoryStore& m_Store;
    SnapshotsWindowServices m_Services;
    std::unique_ptr<SnapshotsWindow> m_Window;
    QLabel* m_RecallLine = nullptr;
    QPushButton* m_EndRecall = nullptr;
    QLabel* m_MessageLine = nullptr;
};

}  // namespace tomaro
