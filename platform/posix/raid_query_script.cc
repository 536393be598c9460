#include "platform/raid_query_script.h"

namespace quillon {

const char kRaidQueryScript[] = "RdQueryH.sh";

}  // namespace quillon
