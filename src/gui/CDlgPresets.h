#pragma once

#include <QDialog>
#include <functional>
#include <memory>

#include "gui/KitDialogServices.h"
#include "kit/KitEditor.h"

class QCheckBox;
class QGridLayout;
class QLabel;
class QLineEdit;
class QMenu;

namespace tomaro {

class DrumRows;
class Kit;
class Profile;
class RowsScrollArea;
class StepSpin;

// "Tomaro эталонные частоты для настройки": one row per kit drum with its reference radio, note,
// frequency, interval, show box, note spin, both overtone edits and the "*" menu of overtone
// presets, then the display options, the free reference frequency and the kit buttons. Every row
// change goes through KitEditor, which stores it at once; only the free reference frequency waits
// for OK (Cancel keeps the stored one). Rows scroll when the kit does not fit the screen.
//
// Child widgets by objectName, row r counting from 0: "referenceRadio_r", "noteText_r",
// "noteSpin_r", "frequencyText_r", "intervalText_r", "showBox_r", "overtone1Edit_r",
// "overtone2Edit_r", "overtoneMenuButton_r"; "intervalHeading", "latinNamesBox",
// "intervalsFromPreviousBox", "singleReferenceBox", "singleReferenceEdit", "singleReferenceSpin",
// "kitSelectionButton", "saveKitButton", "loadKitButton", "buttonBox". User-interface thread only.
class CDlgPresets : public QDialog {
    Q_OBJECT

public:
    static constexpr const char* kKitFileFolderKey = "GetOptionsFileName_PATH";
    static constexpr const char* kKitFileNameKey = "GetOptionsFileName_NAME";

    // Edits `kit` in place and writes every change to `profile` at once; `kitChanged` runs after
    // every stored change (the main window refreshes its read-out and repaints then). `kit` and
    // `profile` must outlive the dialog. Empty members of `services` mean the standard windows.
    CDlgPresets(Kit& kit, Profile& profile, std::function<void()> kitChanged,
                QWidget* parent = nullptr, KitDialogServices services = {});
    ~CDlgPresets() override;

    // The menu of a row's "*" button, built from the row's current values; each action applies
    // its choice. The button pops it up at its horizontal middle, top edge; the caller owns it.
    std::unique_ptr<QMenu> createOvertoneMenu(int row);

    // Takes the free reference frequency ("m_sEtoOne"), then closes.
    void accept() override;

private:
    QWidget* createHeader();
    QWidget* createOptions();
    QWidget* createKitButtons();
    // The rows of the kit as the editor has it now, in place of any earlier ones.
    void buildRows();
    void alignColumns();
    void orderTabs();
    void fitToScreen();
    void refresh();

    void popUpOvertoneMenu(int row);
    void stepSingleReference(int steps);
    void selectKit();
    void saveKitFile();
    void loadKitFile();
    FileChoice kitFileChoice(const QString& title) const;
    void rememberKitFile(const QString& path);

    KitEditor m_Editor;
    Profile& m_Profile;
    KitDialogServices m_Services;

    QGridLayout* m_HeaderGrid = nullptr;
    QLabel* m_IntervalHeading = nullptr;
    RowsScrollArea* m_RowsArea = nullptr;
    DrumRows* m_Rows = nullptr;
    QCheckBox* m_LatinNames = nullptr;
    QCheckBox* m_IntervalsFromPrevious = nullptr;
    QCheckBox* m_SingleReferenceBox = nullptr;
    QLineEdit* m_SingleReferenceEdit = nullptr;
    StepSpin* m_SingleReferenceSpin = nullptr;
};

}  // namespace tomaro
