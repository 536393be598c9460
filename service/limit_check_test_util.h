#ifndef QUILLON_SERVICE_LIMIT_CHECK_TEST_UTIL_H_
#define QUILLON_SERVICE_LIMIT_CHECK_TEST_UTIL_H_

// Shared doubles and set-up for the lifetime check tests.

#include <memory>
#include <string>
#include <vector>

#include "common/log/trace_log.h"
#include "common/settings/schema.h"
#include "platform/fakes/fake_clock.h"
#include "platform/fakes/fake_system_info.h"
#include "platform/fakes/memory_store.h"
#include "platform/fakes/recorders.h"
#include "service/limit_check.h"
#include "service/notifier.h"

namespace quillon {

// Records every launch instead of starting a program.
class RecordingNotifier : public Notifier {
 public:
  struct Launch {
    bool mi = false;  // TALVENMI rather than TALVENMS
    std::string text;
    int item = -1;  // -1: text-only form
  };

  bool LaunchMs(std::string text) override { return Add(false, std::move(text), -1); }
  bool LaunchMsItem(std::string text, int item) override {
    return Add(false, std::move(text), item);
  }
  bool LaunchMi(std::string text) override { return Add(true, std::move(text), -1); }
  bool LaunchMiItem(std::string text, int item) override {
    return Add(true, std::move(text), item);
  }

  int CountItem(int item) const {
    int n = 0;
    for (const Launch& l : launches) n += l.item == item ? 1 : 0;
    return n;
  }

  std::vector<Launch> launches;

 private:
  bool Add(bool mi, std::string text, int item) {
    launches.push_back({mi, std::move(text), item});
    return true;
  }
};

// The store, clock, logs and notifier of one engine, with helpers to fill the settings.
struct EngineRig {
  EngineRig() : trace(&system, &sink) {
    clock.Set({2026, 1, 1, 0, 30, 0, 0});
    SetRoot("Language", 1);
    store.SetDword(kNotifyMethodKey, "DSP", 1);
    store.SetDword(kNotifyMethodKey, "LCD", 0);
  }

  LimitCheckEngine& Engine(Language language = Language::kEnglish) {
    if (!engine) {
      engine = std::make_unique<LimitCheckEngine>(engine_store, &clock, &trace, &events, &notifier,
                                                  language);
    }
    return *engine;
  }
  // A new engine over the same store, as after a service restart.
  LimitCheckEngine& Restart(Language language = Language::kEnglish) {
    engine.reset();
    return Engine(language);
  }

  void SetRoot(const char* name, uint32_t value) { store.SetDword(kRootKey, name, value); }
  void SetRootText(const char* name, const char* text) { store.SetText(kRootKey, name, text); }
  uint32_t Root(const char* name) { return store.GetDword(kRootKey, name, 0xDEADBEEF); }
  std::string RootText(const char* name) { return store.GetText(kRootKey, name); }

  // An hour-counted part: its counter, limit and lead by PartKind.
  void SetCounted(int kind, uint32_t counter, uint32_t limit, uint32_t lead) {
    store.SetDword(kCurrentKey, PartKindName(kind), counter);
    store.SetDword(kLimitKey, PartKindName(kind), limit);
    store.SetDword(kLimitPreKey, PartKindName(kind), lead);
  }
  uint32_t Counter(int kind) { return store.GetDword(kCurrentKey, PartKindName(kind), 0xDEADBEEF); }

  // A RAID battery n (1-16): setup date, limit, lead and class.
  void SetRaid(int n, const char* setup_date, uint32_t limit, uint32_t lead, uint32_t raid_class) {
    const std::string name = std::string("RAID") + (n < 10 ? "0" : "") + std::to_string(n);
    store.SetText(kSetupDateKey, name, setup_date);
    store.SetDword(kLimitKey, name, limit);
    store.SetDword(kLimitPreKey, name, lead);
    store.SetDword(kRaidConsumablesKey, name, raid_class);
  }
  void SetUps(const char* setup_date, uint32_t limit, uint32_t lead) {
    store.SetText(kSetupDateKey, "UPS", setup_date);
    store.SetDword(kLimitKey, "UPS", limit);
    store.SetDword(kLimitPreKey, "UPS", lead);
  }

  uint32_t LimitFlag(int index) { return store.GetDword(kNotifyDoneKey, NotifyFlagName(index)); }
  std::string LimitDate(int index) { return store.GetText(kNotifyDoneKey, NotifyDateName(index)); }
  uint32_t PreFlag(int index) { return store.GetDword(kNotifyDonePreKey, NotifyFlagName(index)); }
  std::string PreDate(int index) { return store.GetText(kNotifyDonePreKey, NotifyDateName(index)); }

  // Sends a parts-changed request of the GUI's form that flags each listed NotifyIndex.
  // Returns the reply text.
  std::string PartsChanged(std::initializer_list<int> indices) {
    PartsChangedRequest request = NoPartsChanged();
    for (int i : indices) FlagPartChanged(i, &request);
    char reply[kPipeRecordSize];
    Engine().OnPartsChanged(request.data(), request.size(), reply);
    return std::string(reply);
  }

  MemoryStore store;
  Store* engine_store = &store;  // what the engine works on; a test may wrap `store`
  FakeClock clock;
  FakeSystemInfo system;
  RecordingTraceSink sink;
  TraceLog trace;
  RecordingEventLog events;
  RecordingNotifier notifier;
  std::unique_ptr<LimitCheckEngine> engine;
};

}  // namespace quillon

#endif  // QUILLON_SERVICE_LIMIT_CHECK_TEST_UTIL_H_
