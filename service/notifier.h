#ifndef QUILLON_SERVICE_NOTIFIER_H_
#define QUILLON_SERVICE_NOTIFIER_H_

#include <string>

#include "platform/process_launcher.h"
#include "platform/system_info.h"

namespace quillon {

// The two notification programs as the warning dispatch sees them: TALVENMS and TALVENMI in
// the program directory, each with a text-only form and a text-and-item form. Every launch
// starts the program without waiting and returns true when it was started. The text is
// passed on verbatim (it carries its own double quotes). Implementations are called from the
// check thread only.
class Notifier {
 public:
  virtual ~Notifier() = default;

  virtual bool LaunchMs(std::string text) = 0;
  virtual bool LaunchMsItem(std::string text, int item) = 0;
  virtual bool LaunchMi(std::string text) = 0;
  virtual bool LaunchMiItem(std::string text, int item) = 0;
};

// The notification programs of the installed system: the launcher functions of
// common/notify over a real or recording ProcessLauncher. Neither pointer is owned; both must
// outlive the notifier.
class LauncherNotifier : public Notifier {
 public:
  LauncherNotifier(SystemInfo* system, ProcessLauncher* launcher)
      : system_(system), launcher_(launcher) {}

  bool LaunchMs(std::string text) override;
  bool LaunchMsItem(std::string text, int item) override;
  bool LaunchMi(std::string text) override;
  bool LaunchMiItem(std::string text, int item) override;

 private:
  SystemInfo* system_;
  ProcessLauncher* launcher_;
};

}  // namespace quillon

#endif  // QUILLON_SERVICE_NOTIFIER_H_
