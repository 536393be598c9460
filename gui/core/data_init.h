#ifndef QUILLON_GUI_CORE_DATA_INIT_H_
#define QUILLON_GUI_CORE_DATA_INIT_H_

#include <functional>
#include <string>

#include "gui/core/captions.h"
#include "gui/core/prompter.h"
#include "platform/status.h"
#include "platform/system_info.h"

namespace quillon::gui {

inline constexpr TextPair kInitialiseQuestion = {"すべての登録データを初期化しますか？",
                                                 "Dou you want to Initialize all of data?"};
inline constexpr TextPair kServiceRunning = {
    "TALVENサービスが稼動中には登録データの初期化はできません。",
    "TALVEN-Service is running. so can not initialize data."};

// Sends the status query on the service's command pipe ORNA_PIPE (common/wire/pipe_client.h)
// and waits for the reply without a time limit. 0 when the service answered (it is running);
// the pipe call's status otherwise (kErrorNotFound when no service serves the pipe).
Status ProbeServicePipe();

// The maintenance action "initialise all data", free of widgets. Every outside effect comes in
// through the members, so tests can watch each step.
struct DataInitialisation {
  Prompter* prompter = nullptr;   // the question and the refusal
  SystemInfo* system = nullptr;   // the program directory
  std::function<Status()> probe;  // 0 when the service runs (ProbeServicePipe)
  std::function<void()> beep;     // the system's default beep
  // The defaults initialiser in reset mode, given the program directory and the temporary
  // directory; what it reports is not shown.
  std::function<void(const std::string& program_dir, const std::string& temp_dir)> initialise;

  // Asks the question in `language`; on Yes probes the service: a running service gets the
  // refusal message and nothing changes; otherwise beeps and runs the initialiser with the
  // program directory and its "Temp/" subdirectory.
  void Run(int language) const;
};

}  // namespace quillon::gui

#endif  // QUILLON_GUI_CORE_DATA_INIT_H_
