#ifndef QUILLON_PLATFORM_WIN32_COM_KORI_TRANSPORT_H_
#define QUILLON_PLATFORM_WIN32_COM_KORI_TRANSPORT_H_

#include <memory>

#include "platform/kori_transport.h"

namespace quillon {

// The KORI transport over COM: the automation server of class
// {5E1C7A42-9D3B-4F08-A6E2-3B7D91C40F6A}, created as a local (or remote) server and reached
// late-bound through IDispatch. Open creates the object and looks up the five KORI member
// names; LookUpMember answers from that look-up (the identifier is the member's place in the
// KORI member list, not the server's DISPID). "Class not registered" and every other creation
// failure make Open fail.
//
// Every COM call runs on a thread of the transport's own (in the multithreaded apartment), and
// the caller waits for its completion, the abandon waitable and the time-out together: a call
// the server leaves unanswered costs its bound and no more, and its late answer lands in
// memory the worker owns. The caller's thread needs no COM initialisation of its own.
std::unique_ptr<KoriTransport> NewComKoriTransport();

}  // namespace quillon

#endif  // QUILLON_PLATFORM_WIN32_COM_KORI_TRANSPORT_H_
