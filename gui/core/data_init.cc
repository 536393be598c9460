#include "gui/core/data_init.h"

#include "common/wire/pipe_client.h"
#include "platform/event.h"

namespace quillon::gui {

Status ProbeServicePipe() { return ProbeService(kWaitInfinite); }

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
