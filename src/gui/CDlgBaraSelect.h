#pragma once

#include <QDialog>

#include "kit/KitSelection.h"

class QTableWidget;

namespace tomaro {

class Profile;

// "Состав барабанной установки": a list of the 20 drum types with check boxes, ticked from the
// stored presence flags (the standard set when none is stored). The button
// `10" + 12" + 16" + бочка` ticks exactly the standard set. OK stores every tick in section
// "CDlgBaraSelect"; Cancel stores nothing. Child widgets by objectName: "drumList" (one item per
// type in type order), "standardSetButton", "buttonBox". User-interface thread only.
class CDlgBaraSelect : public QDialog {
    Q_OBJECT

public:
    // `profile` must outlive the dialog.
    explicit CDlgBaraSelect(Profile& profile, QWidget* parent = nullptr);

    // The ticks as they stand now.
    KitSelection tickedSelection() const;

    void accept() override;

private:
    void showSelection(const KitSelection& selection);

    Profile& m_Profile;
    QTableWidget* m_List;
};

}  // namespace tomaro
