#include "gui/DrumChoice.h"

#include <QSignalBlocker>

#include "kit/DrumTypes.h"
#include "tuning/Tuner.h"

namespace tomaro {

DrumChoice::DrumChoice(Tuner& tuner, QWidget* parent) : QComboBox(parent), m_Tuner(tuner) {
    setSizeAdjustPolicy(QComboBox::AdjustToContents);
    reload();
    connect(this, &QComboBox::activated, this, [this](int entry) {
        m_Tuner.setTunedDrum(entry - 1);
        emit drumChosen();
    });
}

void DrumChoice::reload() {
    QStringList names{tr("ближайший эталон")};
    for (int position = 0; position < m_Tuner.kit().count(); ++position) {
        names << QString::fromStdString(drums::shownName(m_Tuner.kit().drumName(position)));
    }
    QStringList shown;
    for (int entry = 0; entry < count(); ++entry) shown << itemText(entry);
    const QSignalBlocker block(this);
    if (shown != names) {
        clear();
        addItems(names);
    }
    setCurrentIndex(m_Tuner.tunedDrum() + 1);
}

}  // namespace tomaro
