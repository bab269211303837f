#pragma once

#include <QString>

class QWidget;

namespace tomaro {

struct AppServices;
class Profile;
class StrikeRecorder;

// The sound import ("Импорт звука..."): asks for a sound file with the services' file dialog,
// starting where the last import was chosen (section "OPEN", keys "ImportSound_PATH" and
// "ImportSound_NAME"), remembers the choice, decodes the file and loads it into the recorder's
// strike record. A refusal is shown in a message box. Returns true when a new strike stands in
// the record (its analysis is then due); false on cancel or refusal.
bool runImportCommand(QWidget* parent, Profile& profile, const AppServices& services,
                      StrikeRecorder& recorder);

}  // namespace tomaro
