#ifndef QUILLON_SERVICE_CYCLE_REASON_H_
#define QUILLON_SERVICE_CYCLE_REASON_H_

namespace quillon {

// Why a lifetime check cycle runs. The values are the reason numbers the check has always
// had; tests and benchmarks name a reason by them.
enum class CycleReason : int {
  kStart = 0,         // once, when the worker starts
  kPartsChanged = 1,  // a request arrived on ORNAPartsChange
  kInterval = 2,      // the check interval passed without a request
};

}  // namespace quillon

#endif  // QUILLON_SERVICE_CYCLE_REASON_H_
