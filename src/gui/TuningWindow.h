#pragma once

#include <QWidget>

#include "base/UserMessage.h"

class QComboBox;
class QLabel;
class QPushButton;
class QSpinBox;

namespace tomaro {

class DrumChoice;
class KitPlanWindow;
class LugDiagram;
class Player;
class QualityLine;
class SeriesLine;
class SpectrumView;
class Tuner;
class TuningView;
class TurnBar;
class TwoHeadsWindow;
struct TuningReading;

// The window "Настройка": one reading large enough to read from the drum stool, against the drum
// being tuned, with the strike quality and the series; the reference tone; and lug mode ("По
// винтам"), which evens out one head rod by rod. It shows the Tuner and asks it to act; the main
// window calls refresh() after every analysis. F11 toggles full screen. User-interface thread
// only.
class TuningWindow : public QWidget {
    Q_OBJECT

public:
    TuningWindow(Tuner& tuner, Player& player, QWidget* parent = nullptr);

    void refresh();
    // Writes the head's measurement as CSV; false when the file cannot be written.
    bool exportCsv(const QString& path);
    // The name the export proposes: "lugs-12-batter.csv".
    QString exportFileName() const;
    void setLugMode(bool on);
    // For the main window: "По винтам: 12\", ударный пластик" while lug mode is on here, with
    // a pause said when taps do not go to the rods; empty otherwise.
    QString lugStatusText() const;

signals:
    // The tuner's state changed here (series cleared, drum chosen): the main window shows it.
    void tunerChanged();
    // The kit's references were written ("Два пластика", "Интервалы и план"): the main window
    // updates its references.
    void referencesChanged();
    // A frequency was picked on the spectrum: the strike is to be analysed again.
    void analysisRequested();
    // Playing the reference tone failed, as the player said it.
    void soundError(const tomaro::UserMessage& message);

protected:
    // Showing, hiding, activation and minimising decide whether taps go to the rods.
    bool event(QEvent* event) override;
    // A change of language sets the kept texts again and builds the shown ones anew.
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void sizeLines();
    void toggleFullScreen();
    QWidget* buildTopBar();
    QWidget* buildLugPanel();
    void showLugs();
    void updateTapsEnabled();
    // The reading's target is the recalled snapshot's (a drum's strike or a head's mean then).
    bool recalledTarget(const TuningReading& reading) const;
    void playTone();
    double toneHz() const;
    void chooseExportFile();
    void showTwoHeads();
    void showKitPlan();

    Tuner& m_Tuner;
    Player& m_Player;
    bool m_FullScreenAsked = false;  // full screen as last asked by F11 or its button
    DrumChoice* m_DrumChoice = nullptr;
    QSpinBox* m_ToleranceSpin = nullptr;
    QPushButton* m_ToneButton = nullptr;
    QPushButton* m_LugButton = nullptr;
    TuningView* m_View = nullptr;
    QualityLine* m_QualityLine = nullptr;
    SeriesLine* m_SeriesLine = nullptr;
    QWidget* m_LugPanel = nullptr;
    QComboBox* m_HeadCombo = nullptr;
    QSpinBox* m_CountSpin = nullptr;
    QComboBox* m_OrderCombo = nullptr;
    LugDiagram* m_Diagram = nullptr;
    QLabel* m_HeadLine = nullptr;
    QLabel* m_NoticeLine = nullptr;
    QLabel* m_PreviousLine = nullptr;
    SpectrumView* m_Spectrum = nullptr;
    TurnBar* m_TurnBar = nullptr;
    TwoHeadsWindow* m_TwoHeads = nullptr;  // child windows, built when first opened
    KitPlanWindow* m_KitPlan = nullptr;
};

}  // namespace tomaro
