#include "platform/win32/win32_event_log.h"

#include <windows.h>

#include "platform/win32/wide_text.h"

namespace quillon {

Status Win32EventLog::Report(const EventRecord& record) {
  HANDLE source = RegisterEventSourceW(nullptr, Widen(record.source).c_str());
  if (source == nullptr) {
    const DWORD error = GetLastError();
    return error != 0 ? error : kErrorInvalidHandle;
  }
  const std::wstring string1 = Widen(record.string1);
  const std::wstring string2 = Widen(record.string2);
  const wchar_t* strings[] = {string1.c_str(), string2.c_str()};
  ReportEventW(source, record.type, 0, record.event_id, nullptr, 2, 0, strings, nullptr);
  DeregisterEventSource(source);
  return kOk;
}

}  // namespace quillon
