#ifndef QUILLON_TOOLS_KORI_SIM_WIN_KORI_SIM_COM_NAMES_H_
#define QUILLON_TOOLS_KORI_SIM_WIN_KORI_SIM_COM_NAMES_H_

// The names the COM KORI stand-in and the programs that start it agree on.

// The KORI class identifier as registry text.
#define KORI_CLASS_ID_ASCII "{5E1C7A42-9D3B-4F08-A6E2-3B7D91C40F6A}"
#define KORI_CLASS_ID_TEXT L"{5E1C7A42-9D3B-4F08-A6E2-3B7D91C40F6A}"
// Set by the stand-in once it offers the class (manual reset; made by whoever comes first).
#define KORI_SIM_READY_EVENT_ASCII "QuillonKoriSimReady"
#define KORI_SIM_READY_EVENT L"QuillonKoriSimReady"
// Setting it ends the stand-in, and with it every call it delays or holds.
#define KORI_SIM_STOP_EVENT_ASCII "QuillonKoriSimStop"
#define KORI_SIM_STOP_EVENT L"QuillonKoriSimStop"

// Set by the stand-in when it starts holding a call it will never answer (--hang).
#define KORI_SIM_HELD_EVENT L"QuillonKoriSimHeld"

// Owned by a running stand-in until it has withdrawn the class: waiting for it waits for
// the stand-in's end.
#define KORI_SIM_RUNNING_MUTEX L"QuillonKoriSimRunning"

#endif  // QUILLON_TOOLS_KORI_SIM_WIN_KORI_SIM_COM_NAMES_H_
