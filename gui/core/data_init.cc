#include "gui/core/data_init.h"

#include "platform/pipe.h"

namespace quillon::gui {

Status ProbeServicePipe() {
  char request[kProbeSize] = "02";
  char reply[kProbeSize];
  size_t received = 0;
  return CallNamedPipe("ORNA_PIPE", request, sizeof request, reply, sizeof reply, &received);
}

void DataInitialisation::Run(int language) const {
  const std::string program_dir = system->ProgramDirectory();
  const std::string temp_dir = program_dir + "Temp/";
  if (!prompter->AskYesNo(kAppName, Pick(kInitialiseQuestion, language))) return;
  if (probe() == kOk) {
    prompter->ShowError(kAppName, Pick(kServiceRunning, language));
    return;
  }
  if (beep) beep();
  initialise(program_dir, temp_dir);
}

}  // namespace quillon::gui
