#pragma once

#include <QWidget>

class QComboBox;
class QLabel;

namespace tomaro {

class Profile;

// The "Язык / Language" choice: Russian or English, stored as "m_Language" in "Options" and
// applied at once (translations::apply). The names of the languages stay in their own language.
class LanguageChoice : public QWidget {
    Q_OBJECT
public:
    LanguageChoice(Profile& profile, QWidget* parent = nullptr);

    QComboBox* combo() const { return m_Combo; }

signals:
    // The user chose a language and every window has been told.
    void languageChanged();

protected:
    void changeEvent(QEvent* event) override;

private:
    void choose(int index);

    Profile& m_Profile;
    QLabel* m_Label;
    QComboBox* m_Combo;
};

}  // namespace tomaro
