#pragma once

#include <QString>
#include <functional>

class QWidget;

namespace tomaro {

struct AppServices;
class Profile;
class Tuner;

// The sound import ("Импорт звука..."): asks for a sound file with the services' file dialog,
// starting where the last import was chosen (section "OPEN", keys "ImportSound_PATH" and
// "ImportSound_NAME"), remembers the choice, decodes the file and loads it into the recorder's
// strike record. The header is read first: a file refused then leaves the strike shown alone.
// Otherwise a long sound held from an earlier import is given back before decoding (then
// `soundReleased` is called so that the window shows it gone), and the samples are decoded on a
// worker thread while a progress dialog with "Отмена" keeps the window alive (this function
// returns when the decoding has ended). A refusal is shown in a message box; a cancel says
// nothing. Returns true when a new strike stands in the record (its analysis is then due).
bool runImportCommand(QWidget* parent, Profile& profile, const AppServices& services, Tuner& tuner,
                      const std::function<void()>& soundReleased);

}  // namespace tomaro
