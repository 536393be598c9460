#include "platform/win32/win32_process_launcher.h"

#include <windows.h>

#include "platform/win32/native_waitable.h"
#include "platform/win32/wide_text.h"

namespace quillon {
namespace {

struct Started {
  HANDLE process = nullptr;
  HANDLE job = nullptr;
};

Status LaunchFailure(DWORD error) {
  return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? kErrorNotFound : error;
}

// Starts the program suspended, puts it into a new job (which ends everything in it when the
// last handle to the job closes) and lets it run. The caller closes both handles.
Status Launch(std::string_view command_line, std::string_view working_directory, Started* out) {
  // CreateProcessW may write into the command line, so it gets a copy of its own.
  std::wstring line = Widen(command_line);
  std::wstring dir = Widen(working_directory);
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE,
                      CREATE_SUSPENDED | CREATE_NEW_PROCESS_GROUP, nullptr,
                      dir.empty() ? nullptr : dir.c_str(), &si, &pi)) {
    return LaunchFailure(GetLastError());
  }
  HANDLE job = CreateJobObjectW(nullptr, nullptr);
  if (job) {
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof limits);
    // A program already in a job of its parent's may refuse a second one; it still runs.
    if (!AssignProcessToJobObject(job, pi.hProcess)) {
      CloseHandle(job);
      job = nullptr;
    }
  }
  ResumeThread(pi.hThread);
  CloseHandle(pi.hThread);
  out->process = pi.hProcess;
  out->job = job;
  return kOk;
}

Status WaitForExit(HANDLE process, uint32_t* exit_code) {
  if (WaitForSingleObject(process, INFINITE) != WAIT_OBJECT_0) return GetLastError();
  DWORD code = 0;
  if (!GetExitCodeProcess(process, &code)) return GetLastError();
  *exit_code = code;
  return kOk;
}

void Close(const Started& s) {
  if (s.process) CloseHandle(s.process);
  if (s.job) CloseHandle(s.job);
}

}  // namespace

Status Win32ProcessLauncher::Start(std::string_view command_line,
                                   std::string_view working_directory) {
  Started s;
  Status status = Launch(command_line, working_directory, &s);
  if (status != kOk) return status;
  // The program outlives this call: its job must not end it when the handle closes.
  if (s.job) {
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    SetInformationJobObject(s.job, JobObjectExtendedLimitInformation, &limits, sizeof limits);
  }
  Close(s);
  return kOk;
}

Status Win32ProcessLauncher::Run(std::string_view command_line, std::string_view working_directory,
                                 uint32_t* exit_code) {
  return RunUntil(command_line, working_directory, kInvalidWaitable, exit_code);
}

Status Win32ProcessLauncher::RunUntil(std::string_view command_line,
                                      std::string_view working_directory, Waitable stop,
                                      uint32_t* exit_code) {
  Started s;
  Status status = Launch(command_line, working_directory, &s);
  if (status != kOk) return status;
  if (stop != kInvalidWaitable) {
    HANDLE handles[2] = {s.process, NativeWaitable::Handle(stop)};
    DWORD r = WaitForMultipleObjects(2, handles, FALSE, INFINITE);
    if (r == WAIT_OBJECT_0 + 1) {
      if (s.job) {
        TerminateJobObject(s.job, 1);
      } else {
        TerminateProcess(s.process, 1);
      }
      WaitForSingleObject(s.process, INFINITE);
      Close(s);
      return kErrorOperationAborted;
    }
  }
  status = WaitForExit(s.process, exit_code);
  Close(s);
  return status;
}

}  // namespace quillon
