#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/UserMessage.h"
#include "kit/Kit.h"
#include "settings/Profile.h"

namespace tomaro {

// What one row of the references table shows after a refresh.
struct KitRowTexts {
    std::string drumName;       // caption of the reference-drum radio button
    bool isReference = false;   // the radio button is checked
    std::string noteText;       // "окт 1, Ля" or "4 A"
    std::string frequencyText;  // "%0.2f" of the note frequency
    std::string intervalText;   // "-5, чистая кварта"
    bool shown = false;         // the show check box
    std::string overtone1Text;  // edit text, batter head: "1.5=392.44", "300" or empty
    std::string overtone2Text;  // edit text, resonant head
};

// The two overtone edit texts of one row as the user left them.
struct OvertoneTexts {
    std::string overtone1;
    std::string overtone2;
};

// One item of a row's overtone menu (the "*" button), in menu order.
struct OvertoneMenuItem {
    enum class Action {
        FrequencyToCoefficient,  // "Частоту --> в коэффициент"
        SetValues,               // sets overtone1 and overtone2 below
    };
    std::string text;
    Action action = Action::SetValues;
    double overtone1 = 0.0;
    double overtone2 = 0.0;
};

// The rules of the references dialog ("Tomaro эталонные частоты для настройки"): the dialog shows
// rowTexts() and calls one operation per user action. Every change to the kit is saved to the
// settings store at once (Cancel undoes nothing), after which the change observer runs so the main
// window can refresh its read-out; only the free reference frequency waits for OK
// (acceptSingleReference). Rows are kit positions 0..rowCount()-1; other rows are ignored.
// User-interface thread only.
class KitEditor {
public:
    KitEditor(Kit& kit, Profile& profile);

    // Runs after every stored change.
    void setChangeObserver(std::function<void()> observer) { m_Observer = std::move(observer); }

    const Kit& kit() const { return m_Kit; }
    int rowCount() const { return m_Kit.count(); }
    KitRowTexts rowTexts(int row) const;
    // "Полутонов от предыдущего" or "Полутонов от опорного".
    std::string intervalHeading() const;

    // Reference-drum radio: that row becomes the reference; its name goes to "m_CurrentB_Str".
    void chooseReferenceDrum(int row);
    // Note spin, steps > 0 up: a plain row moves by steps semitones; the reference row moves every
    // drum by the same steps, each clamped to -100..100. Notes stay within -100..100.
    void stepNote(int row, int steps);
    void setShown(int row, bool shown);
    // Leaving an overtone edit: the texts of every row are parsed (parseOvertoneText). A text that
    // is still the one rowTexts() shows for the value keeps the exact value, except an empty one,
    // which is none (0); rows beyond the given texts keep their values.
    void applyOvertoneTexts(std::span<const OvertoneTexts> rows);
    // "=" reads as a blank and "," as ".", then the leading number is taken; a value that is
    // neither a coefficient nor a frequency in Hz gives 0. "1,5=300" -> 1.5; "15" -> 0.
    static double parseOvertoneText(std::string_view text);

    // The items of a row's overtone menu, in order: "Частоту --> в коэффициент" when either value
    // is in Hz, "Не использовать эталонные обертона", the five presets, and for the snare with a
    // note in -8..-2 or the kick with a note in -36..-29 the recommended pair in Hz.
    std::vector<OvertoneMenuItem> overtoneMenu(int row) const;
    void chooseOvertoneMenuItem(int row, const OvertoneMenuItem& item);

    // "Латинские обозначения нот и октав" ("m_IsNotaGadi").
    void setLatinNames(bool latin);
    // "Показывать интервалы между соседними барабанами (иначе от опорного)" ("m_IsShowOtn").
    void setIntervalsFromPrevious(bool fromPrevious);

    // The spin of the free reference edit: a typed value with 0 < f < 2000 Hz multiplied by
    // 2^(1/12) per step up (divided per step down), as "%0.3f"; no value when the typed text is
    // not in that range (the edit stays as it is).
    static std::optional<std::string> stepSingleReferenceText(std::string_view text, int steps);
    // OK of the dialog: the edit text (empty when "Задать эталонную частоту, Гц" is off) is
    // validated as on load, then everything is saved.
    void acceptSingleReference(bool enabled, std::string_view text);

    // After the kit selection was confirmed: the kit is loaded afresh from the store.
    void reload();

    // "Сохранить настройки..." / "Загрузить настройки..." once the user chose a file. Loading
    // reloads the kit from the store on success. Both return the message to show, if any.
    std::optional<UserMessage> saveKitFile(const std::filesystem::path& path) const;
    std::optional<UserMessage> loadKitFile(const std::filesystem::path& path);

private:
    bool isRow(int row) const { return row >= 0 && row < m_Kit.count(); }
    void saveAndNotify();
    void notify();

    Kit& m_Kit;
    Profile& m_Profile;
    std::function<void()> m_Observer;
};

}  // namespace tomaro
