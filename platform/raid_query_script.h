#ifndef QUILLON_PLATFORM_RAID_QUERY_SCRIPT_H_
#define QUILLON_PLATFORM_RAID_QUERY_SCRIPT_H_

namespace quillon {

// The RAID manager's report script that the service runs from its program directory:
// "RdQueryH.sh" on Linux, "RdQueryH.bat" on Windows. Each OS backend defines it once.
extern const char kRaidQueryScript[];

}  // namespace quillon

#endif  // QUILLON_PLATFORM_RAID_QUERY_SCRIPT_H_
