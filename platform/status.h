#ifndef QUILLON_PLATFORM_STATUS_H_
#define QUILLON_PLATFORM_STATUS_H_

#include <cstdint>

namespace quillon {

// A 32-bit status as every boundary of the system returns it: 0 is success, anything else a
// failure. Where a Windows error code has an obvious meaning the same number is used, so that
// both backends report alike.
using Status = uint32_t;

inline constexpr Status kOk = 0;
inline constexpr Status kErrorInvalidFunction = 1;
inline constexpr Status kErrorNotFound = 2;  // key, value or file missing
inline constexpr Status kErrorAccessDenied = 5;
inline constexpr Status kErrorInvalidHandle = 6;
inline constexpr Status kErrorNotEnoughMemory = 8;
inline constexpr Status kErrorInvalidData = 13;  // value of another type, corrupt data
inline constexpr Status kErrorWriteFault = 29;
inline constexpr Status kErrorReadFault = 30;
inline constexpr Status kErrorInvalidParameter = 87;
inline constexpr Status kErrorCallNotImplemented = 120;
inline constexpr Status kErrorInsufficientBuffer = 122;
inline constexpr Status kErrorBadPathname = 161;
inline constexpr Status kErrorAlreadyExists = 183;
inline constexpr Status kErrorPipeBusy = 231;
inline constexpr Status kErrorMoreData = 234;
inline constexpr Status kErrorOperationAborted = 995;  // a wait ended by a stop request
inline constexpr Status kErrorTimeout = 1460;
inline constexpr Status kErrorServiceDoesNotExist = 1060;
inline constexpr Status kErrorServiceNotActive = 1062;
inline constexpr Status kErrorServiceExists = 1073;
inline constexpr Status kErrorFailedServiceControllerConnect = 1063;
inline constexpr Status kErrorRegistryCorrupt = 1015;
inline constexpr Status kErrorRegistryIo = 1016;

}  // namespace quillon

#endif  // QUILLON_PLATFORM_STATUS_H_
