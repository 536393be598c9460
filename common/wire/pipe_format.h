#ifndef QUILLON_COMMON_WIRE_PIPE_FORMAT_H_
#define QUILLON_COMMON_WIRE_PIPE_FORMAT_H_

#include <array>
#include <cstddef>

namespace quillon {

// The wire format of the service's two pipes, shared by the service that serves them and by
// the GUI, quillonctl and the tests that call them. Every exchange is one request message and
// one reply message. The texts below are what the peers send and compare byte for byte: the
// spelling "Heared" is the system's own and stays as it is.

// The pipes' names below the runtime directory (platform/runtime_dir.h).
inline constexpr char kCommandPipeName[] = "ORNA_PIPE";
inline constexpr char kPartsChangePipeName[] = "ORNAPartsChange";

// The size of every reply on both pipes, and of the buffer the service reads a request into:
// a longer request is cut to this size.
inline constexpr size_t kPipeRecordSize = 128;

// --- ORNA_PIPE ---
// A request is a short text ending in a zero byte: character 0 is the worker's index as a
// digit (only worker 0 exists), character 1 the action.
inline constexpr char kActionStopWorker = '0';
inline constexpr char kActionStartWorker = '1';
inline constexpr char kActionQueryWorker = '2';   // is the worker's thread running?
inline constexpr char kActionStartWorker0 = '7';  // worker 0, whatever character 0 holds
inline constexpr char kActionStopWorker0 = '8';   // likewise
// Any other action character stops the service, whose reply is then all zeros.

// The status query of worker 0, which the GUI and quillonctl send (in a zero-filled record of
// kPipeRecordSize bytes) to learn whether the service runs; any reply means it does.
inline constexpr char kStatusQueryRequest[] = "02";
// A request that stops the service (the action character 9 is none of the above).
inline constexpr char kStopServiceRequest[] = "X9";

// The reply text: kCommandReplyPrefix, the request text, kCommandReplyEnd ("Heared [01]"); a
// query adds kQueryRunning or kQueryNotRunning ("Heared [02]:1"). The text ends with a zero
// inside the record; an echoed request too long for the record is cut so that the zero fits.
inline constexpr char kCommandReplyPrefix[] = "Heared [";
inline constexpr char kCommandReplyEnd[] = "]";
inline constexpr char kQueryRunning[] = ":1";
inline constexpr char kQueryNotRunning[] = ":0";

// --- ORNAPartsChange ---
// A request flags the parts whose data the administration program has just changed:
// character i is kPartChanged for the part of NotifyIndex i, kPartUnchanged otherwise. The
// GUI and quillonctl send kPartsChangedRequestSize bytes, 23 flag characters and a zero; the
// service looks at characters 0 to 19, and only at those received.
inline constexpr size_t kPartsChangedRequestSize = 24;
inline constexpr char kPartChanged = '1';
inline constexpr char kPartUnchanged = '0';
using PartsChangedRequest = std::array<char, kPartsChangedRequestSize>;

// The reply to every parts-changed request, also to one that could not be read, in a
// zero-filled record. "Heared." is the system's own text, kept as its peers expect it: do not
// correct its spelling.
inline constexpr char kPartsChangedReply[] = "Heared.";

// A request that flags no part: 23 kPartUnchanged characters and a zero byte.
PartsChangedRequest NoPartsChanged();

// Flags the part of NotifyIndex `index` in `request`. An index outside the 23 flag characters
// changes nothing.
void FlagPartChanged(int index, PartsChangedRequest* request);

// Whether a request of which `received` bytes arrived flags the part of NotifyIndex `index`:
// only a received character equal to kPartChanged does. Reads nothing past `received` bytes;
// `request` may be null when `received` is 0.
bool PartFlagged(const char* request, size_t received, int index);

}  // namespace quillon

#endif  // QUILLON_COMMON_WIRE_PIPE_FORMAT_H_
