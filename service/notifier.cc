#include "service/notifier.h"

#include <utility>

#include "common/notify/notifier.h"

namespace quillon {

bool LauncherNotifier::LaunchMs(std::string text) {
  return quillon::LaunchMs(system_, launcher_, text);
}

bool LauncherNotifier::LaunchMsItem(std::string text, int item) {
  return quillon::LaunchMsItem(system_, launcher_, text, item);
}

bool LauncherNotifier::LaunchMi(std::string text) {
  return quillon::LaunchMi(system_, launcher_, text);
}

bool LauncherNotifier::LaunchMiItem(std::string text, int item) {
  return quillon::LaunchMiItem(system_, launcher_, text, item);
}

}  // namespace quillon
