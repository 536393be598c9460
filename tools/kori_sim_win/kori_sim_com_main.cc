// quillon-kori-sim.exe: the KORI stand-in on Windows, a COM local server offering the KORI
// automation class through a hand-made IDispatch, with the answers and faults of the D-Bus
// simulator (the same options). See Usage().

// clang-format off
#include <windows.h>
#include <objbase.h>
#include <oleauto.h>
#include <shellapi.h>
// clang-format on

#include <atomic>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

#include "platform/command_line_quote.h"
#include "platform/win32/wide_text.h"
#include "tools/kori_sim/sim_config.h"
#include "tools/kori_sim_win/kori_sim_com_names.h"

namespace quillon {
namespace {

// {5E1C7A42-9D3B-4F08-A6E2-3B7D91C40F6A}
constexpr CLSID kKoriClassId = {
    0x5E1C7A42, 0x9D3B, 0x4F08, {0xA6, 0xE2, 0x3B, 0x7D, 0x91, 0xC4, 0x0F, 0x6A}};
constexpr wchar_t kClassKey[] = L"Software\\Classes\\CLSID\\" KORI_CLASS_ID_TEXT;
constexpr wchar_t kAppIdKey[] = L"Software\\Classes\\AppID\\" KORI_CLASS_ID_TEXT;
constexpr wchar_t kDescription[] = L"Quillon KORI stand-in";

enum MemberId : DISPID {
  kIdVcRequest = 1,
  kIdSyncRequest,
  kIdServerCabinetNumber,
  kIdDefaultTimeout,
  kIdServerControlVersion,
};

SimConfig g_config;
HANDLE g_stop = nullptr;  // set: end the stand-in, and every delayed or hung call
HANDLE g_held = nullptr;  // set when a call is held (--hang)
std::mutex g_log_mu;

const char* Usage() {
  static const std::string text =
      std::string(
          "usage: quillon-kori-sim.exe [option...]\n"
          "       quillon-kori-sim.exe -regserver [option...]\n"
          "       quillon-kori-sim.exe -unregserver | -stop\n"
          "Offers the KORI automation class " KORI_CLASS_ID_ASCII
          " as a COM local server:\n"
          "method VCRequest, properties ServerCabinetNumber and DefaultTimeout, through\n"
          "IDispatch. Prints READY and sets the event " KORI_SIM_READY_EVENT_ASCII
          " once the class\n"
          "is offered; ends when the event " KORI_SIM_STOP_EVENT_ASCII
          " is set (-stop sets it).\n"
          "Sets the event QuillonKoriSimHeld when it starts holding a call (--hang).\n"
          "-regserver registers the class for the local machine with this program and the\n"
          "options after it as its server, so that COM starts it on demand; -unregserver\n"
          "removes that. COM's -Embedding argument is ignored.\n") +
      SimOptionsUsage() + "  --help                show this text\n";
  return text.c_str();
}

void Log(const std::string& line) {
  if (g_config.log_path.empty()) return;
  std::lock_guard<std::mutex> lock(g_log_mu);
  HANDLE file = CreateFileW(Widen(g_config.log_path).c_str(), FILE_APPEND_DATA,
                            FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  const std::string text = line + "\n";
  DWORD written = 0;
  WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  CloseHandle(file);
}

// The value of an integer argument, whatever integer type the caller passed.
bool Int16Of(VARIANTARG* arg, int16_t* value) {
  VARIANT copy;
  VariantInit(&copy);
  if (FAILED(VariantChangeType(&copy, arg, 0, VT_I2))) return false;
  *value = copy.iVal;
  return true;
}

SAFEARRAY* NewByteArray(const std::vector<uint8_t>& bytes, bool two_dimensional) {
  SAFEARRAY* array = nullptr;
  if (two_dimensional) {
    SAFEARRAYBOUND bounds[2] = {{1, 0}, {static_cast<ULONG>(bytes.size()), 0}};
    array = SafeArrayCreate(VT_UI1, 2, bounds);
  } else {
    array = SafeArrayCreateVector(VT_UI1, 0, static_cast<ULONG>(bytes.size()));
  }
  if (array == nullptr || bytes.empty()) return array;
  void* data = nullptr;
  if (SUCCEEDED(SafeArrayAccessData(array, &data))) {
    std::memcpy(data, bytes.data(), bytes.size());
    SafeArrayUnaccessData(array);
  }
  return array;
}

// VCRequest: command, sub-code, third code, cabinet (16-bit integers), request bytes in and
// response bytes out (byte array by reference), status out (byte by reference), last code.
HRESULT VcRequest(DISPPARAMS* params, UINT* bad_argument) {
  if (params->cArgs != 7) return DISP_E_BADPARAMCOUNT;
  VARIANTARG* args = params->rgvarg;  // the last argument first
  int16_t values[7] = {};
  for (int i : {0, 1, 2, 3, 6}) {
    if (!Int16Of(&args[6 - i], &values[i])) {
      if (bad_argument != nullptr) *bad_argument = 6 - i;
      return DISP_E_TYPEMISMATCH;
    }
  }
  if (args[2].vt != (VT_BYREF | VT_ARRAY | VT_UI1) || args[1].vt != (VT_BYREF | VT_UI1)) {
    if (bad_argument != nullptr)
      *bad_argument = args[2].vt != (VT_BYREF | VT_ARRAY | VT_UI1) ? 2 : 1;
    return DISP_E_TYPEMISMATCH;
  }
  SAFEARRAY** data = args[2].pparray;
  size_t input_size = 0;
  if (*data != nullptr && SafeArrayGetDim(*data) == 1) {
    LONG low = 0, high = -1;
    SafeArrayGetLBound(*data, 1, &low);
    SafeArrayGetUBound(*data, 1, &high);
    if (high >= low) input_size = static_cast<size_t>(high - low) + 1;
  }
  const auto command = static_cast<uint16_t>(values[0]);
  Log(SimCallLine(command, static_cast<uint16_t>(values[1]), static_cast<uint16_t>(values[2]),
                  values[3], input_size, values[6]));

  const SimAnswer answer = AnswerFor(g_config, command);
  if (answer.vanish) {
    // Gone in the middle of the call: the caller learns it from COM, not from an answer.
    Log("vanish");
    ExitProcess(0);
  }
  if (answer.hang) {
    Log("hang");
    SetEvent(g_held);
    WaitForSingleObject(g_stop, INFINITE);
    return E_ABORT;
  }
  if (answer.delay_ms > 0 && WaitForSingleObject(g_stop, answer.delay_ms) == WAIT_OBJECT_0) {
    return E_ABORT;
  }
  if (*data != nullptr) SafeArrayDestroy(*data);
  // The "bad reply" of COM: the response bytes in a two-dimensional array.
  *data = NewByteArray(answer.response, answer.bad_reply);
  if (!answer.status.empty()) *args[1].pbVal = answer.status[0];
  return S_OK;
}

HRESULT GetProperty(DISPID id, VARIANT* result) {
  if (result == nullptr) return E_POINTER;
  VariantInit(result);
  switch (id) {
    case kIdServerCabinetNumber:
      Log("Get ServerCabinetNumber");
      if (g_config.property == SimProperty::kString) {
        result->vt = VT_BSTR;
        result->bstrVal = SysAllocString(std::to_wstring(g_config.cabinet).c_str());
      } else if (g_config.property == SimProperty::kUint32) {
        result->vt = VT_UI4;
        result->ulVal = static_cast<uint32_t>(g_config.cabinet);
      } else {
        result->vt = VT_I2;
        result->iVal = g_config.cabinet;
      }
      return S_OK;
    case kIdDefaultTimeout:
      result->vt = VT_UI4;
      result->ulVal = g_config.default_timeout_ms;
      return S_OK;
    case kIdServerControlVersion:
      result->vt = VT_BSTR;
      result->bstrVal = SysAllocString(L"quillon-kori-sim 1");
      return S_OK;
    default:
      return DISP_E_MEMBERNOTFOUND;
  }
}

// The KORI object: IDispatch by hand, without a type library.
class KoriObject final : public IDispatch {
 public:
  virtual ~KoriObject() = default;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (out == nullptr) return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch)) {
      *out = static_cast<IDispatch*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --refs_;
    if (left == 0) delete this;
    return left;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    if (count == nullptr) return E_POINTER;
    *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override {
    if (info != nullptr) *info = nullptr;
    return DISP_E_BADINDEX;
  }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID,
                                          DISPID* ids) override {
    HRESULT hr = S_OK;
    for (UINT i = 0; i < count; ++i) {
      ids[i] = DISPID_UNKNOWN;
      // Only the member name itself is looked up; argument names are not known.
      DISPID id = i == 0 ? IdOf(names[0]) : DISPID_UNKNOWN;
      if (id == DISPID_UNKNOWN) {
        hr = DISP_E_UNKNOWNNAME;
      } else {
        ids[i] = id;
      }
    }
    return hr;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params,
                                   VARIANT* result, EXCEPINFO*, UINT* bad_argument) override {
    if (id == kIdVcRequest && !g_config.no_vcrequest && (flags & DISPATCH_METHOD) != 0) {
      if (result != nullptr) VariantInit(result);
      return VcRequest(params, bad_argument);
    }
    if (id == kIdSyncRequest && (flags & DISPATCH_METHOD) != 0) {
      if (result != nullptr) VariantInit(result);
      return S_OK;
    }
    if ((flags & DISPATCH_PROPERTYGET) != 0) {
      if (params != nullptr && params->cArgs != 0) return DISP_E_BADPARAMCOUNT;
      if (id == kIdServerCabinetNumber && g_config.property == SimProperty::kMissing) {
        return DISP_E_MEMBERNOTFOUND;
      }
      return GetProperty(id, result);
    }
    return DISP_E_MEMBERNOTFOUND;
  }

 private:
  static DISPID IdOf(const wchar_t* name) {
    struct Entry {
      const wchar_t* name;
      DISPID id;
      bool offered;
    };
    const Entry entries[] = {
        {L"VCRequest", kIdVcRequest, !g_config.no_vcrequest},
        {L"SyncRequest", kIdSyncRequest, true},
        {L"ServerCabinetNumber", kIdServerCabinetNumber,
         g_config.property != SimProperty::kMissing},
        {L"DefaultTimeout", kIdDefaultTimeout, true},
        {L"ServerControlVersion", kIdServerControlVersion, true},
    };
    for (const Entry& e : entries) {
      // Automation names are matched without regard to case.
      if (e.offered && _wcsicmp(name, e.name) == 0) return e.id;
    }
    return DISPID_UNKNOWN;
  }

  std::atomic<ULONG> refs_{1};
};

// The class object: one for the whole run, never freed.
class KoriFactory : public IClassFactory {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (out == nullptr) return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IClassFactory)) {
      *out = static_cast<IClassFactory*>(this);
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** out) override {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    if (outer != nullptr) return CLASS_E_NOAGGREGATION;
    auto* object = new KoriObject;
    const HRESULT hr = object->QueryInterface(iid, out);
    object->Release();
    return hr;
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }
};

int Fail(const char* what, long code) {
  std::fprintf(stderr, "quillon-kori-sim: %s (0x%08lX)\n", what, static_cast<unsigned long>(code));
  return 1;
}

LSTATUS SetText(HKEY key, const wchar_t* name, const std::wstring& value) {
  return RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                        static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

// Registers the class with this program (and `options`) as its local server.
int RegisterServer(const std::vector<std::string>& options) {
  wchar_t path[MAX_PATH];
  const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH)
    return Fail("cannot find the program's path", GetLastError());
  std::string command = QuoteCommandLineArgument(Narrow(path));
  for (const std::string& option : options) command += " " + QuoteCommandLineArgument(option);
  HKEY clsid = nullptr, server = nullptr, appid = nullptr;
  LSTATUS r = RegCreateKeyExW(HKEY_LOCAL_MACHINE, kClassKey, 0, nullptr, 0, KEY_WRITE, nullptr,
                              &clsid, nullptr);
  if (r == ERROR_SUCCESS) r = SetText(clsid, nullptr, kDescription);
  if (r == ERROR_SUCCESS) r = SetText(clsid, L"AppID", KORI_CLASS_ID_TEXT);
  if (r == ERROR_SUCCESS) {
    r = RegCreateKeyExW(clsid, L"LocalServer32", 0, nullptr, 0, KEY_WRITE, nullptr, &server,
                        nullptr);
  }
  if (r == ERROR_SUCCESS) r = SetText(server, nullptr, Widen(command));
  if (r == ERROR_SUCCESS) {
    r = RegCreateKeyExW(HKEY_LOCAL_MACHINE, kAppIdKey, 0, nullptr, 0, KEY_WRITE, nullptr, &appid,
                        nullptr);
  }
  if (r == ERROR_SUCCESS) r = SetText(appid, nullptr, kDescription);
  for (HKEY key : {clsid, server, appid}) {
    if (key != nullptr) RegCloseKey(key);
  }
  return r == ERROR_SUCCESS ? 0 : Fail("cannot register the class", r);
}

int UnregisterServer() {
  for (const wchar_t* key : {kClassKey, kAppIdKey}) {
    const LSTATUS r = RegDeleteTreeW(HKEY_LOCAL_MACHINE, key);
    if (r != ERROR_SUCCESS && r != ERROR_FILE_NOT_FOUND) return Fail("cannot unregister", r);
  }
  return 0;
}

int StopRunning() {
  HANDLE stop = OpenEventW(EVENT_MODIFY_STATE, FALSE, KORI_SIM_STOP_EVENT);
  if (stop == nullptr) return Fail("no stand-in is running", GetLastError());
  SetEvent(stop);
  CloseHandle(stop);
  return 0;
}

BOOL WINAPI OnConsoleControl(DWORD) {
  SetEvent(g_stop);
  return TRUE;
}

int Serve() {
  g_stop = CreateEventW(nullptr, TRUE, FALSE, KORI_SIM_STOP_EVENT);
  HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, KORI_SIM_READY_EVENT);
  g_held = CreateEventW(nullptr, TRUE, FALSE, KORI_SIM_HELD_EVENT);
  if (g_stop == nullptr || ready == nullptr || g_held == nullptr)
    return Fail("cannot make the events", GetLastError());
  HANDLE running = CreateMutexW(nullptr, TRUE, KORI_SIM_RUNNING_MUTEX);
  SetConsoleCtrlHandler(OnConsoleControl, TRUE);
  // Calls arrive on COM's own threads, so a hung or delayed call holds up no other.
  HRESULT hr = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
  if (FAILED(hr)) return Fail("cannot initialise COM", hr);
  static KoriFactory factory;
  DWORD cookie = 0;
  hr = CoRegisterClassObject(kKoriClassId, &factory, CLSCTX_LOCAL_SERVER, REGCLS_MULTIPLEUSE,
                             &cookie);
  if (FAILED(hr)) return Fail("cannot offer the class", hr);
  std::fputs("READY\n", stdout);
  std::fflush(stdout);
  SetEvent(ready);
  WaitForSingleObject(g_stop, INFINITE);
  CoRevokeClassObject(cookie);
  CoUninitialize();
  if (running != nullptr) {
    ReleaseMutex(running);
    CloseHandle(running);
  }
  CloseHandle(ready);
  return 0;
}

int Run() {
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  if (argv == nullptr) return Fail("cannot read the command line", GetLastError());
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i) args.push_back(Narrow(argv[i]));
  LocalFree(argv);
  std::string mode;
  if (!args.empty() &&
      (args[0] == "-regserver" || args[0] == "-unregserver" || args[0] == "-stop")) {
    mode = args[0];
    args.erase(args.begin());
  }
  // COM adds -Embedding when it starts a registered server.
  std::erase_if(args, [](const std::string& a) { return a == "-Embedding" || a == "/Embedding"; });
  if (mode == "-unregserver") return UnregisterServer();
  if (mode == "-stop") return StopRunning();
  bool help = false;
  std::string error;
  if (!ParseSimArgs(args, &g_config, &help, &error) || !g_config.address.empty()) {
    if (error.empty()) error = "--address has no meaning for the COM stand-in";
    std::fprintf(stderr, "quillon-kori-sim: %s\n%s", error.c_str(), Usage());
    return 2;
  }
  if (help) {
    std::fputs(Usage(), stdout);
    return 0;
  }
  if (mode == "-regserver") return RegisterServer(args);
  return Serve();
}

}  // namespace
}  // namespace quillon

int main() { return quillon::Run(); }
