// The KORI transport over COM. A COM call cannot be bounded or abandoned from outside, so each
// one runs on a thread of its own in the multithreaded apartment, and the caller waits for
// that thread's completion event together with the abandon waitable and the time-out. A call
// the caller stops waiting for finishes (or hangs) on its own thread, writing only into the
// job it shares with it.

#include "platform/win32/com_kori_transport.h"

// clang-format off
#include <windows.h>
#include <objbase.h>
#include <oleauto.h>
// clang-format on

#include <array>
#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <utility>

#include "platform/win32/native_waitable.h"
#include "platform/win32/wide_text.h"

namespace quillon {
namespace {

// {5E1C7A42-9D3B-4F08-A6E2-3B7D91C40F6A}
constexpr CLSID kKoriClassId = {
    0x5E1C7A42, 0x9D3B, 0x4F08, {0xA6, 0xE2, 0x3B, 0x7D, 0x91, 0xC4, 0x0F, 0x6A}};
// A local server, or one on another machine when COM is set up to find it there.
constexpr DWORD kKoriClassContext = CLSCTX_LOCAL_SERVER | CLSCTX_REMOTE_SERVER;
// Names are looked up in the system's locale, calls made in the user's.
constexpr LCID kNameLocale = LOCALE_SYSTEM_DEFAULT;
constexpr LCID kCallLocale = LOCALE_USER_DEFAULT;

// The KORI members, in the order they are looked up; LookUpMember's identifier is the place
// in this list.
constexpr std::array<const char*, 5> kMemberNames = {
    "VCRequest", "SyncRequest", "ServerCabinetNumber", "DefaultTimeout", "ServerControlVersion"};
constexpr int kVcRequest = 0;
constexpr int kServerCabinetNumber = 2;
constexpr int kDefaultTimeout = 3;

// The bound a remote call gets before the client says otherwise.
constexpr uint64_t kDefaultConnectTimeoutUsec = 25000000;
// The status byte goes out with this value; a server that does not set it leaves it so.
constexpr uint8_t kStatusNotSet = 22;

// The server object of one Open, shared by the transport and the threads that call it. Its
// keeper thread created it and keeps the apartment (and with it the proxy) alive until the
// transport has let go and no call thread uses the object any more; only then releases it.
struct Connection {
  std::mutex mu;
  std::condition_variable cv;
  IDispatch* dispatch = nullptr;  // set once by the keeper; guarded by mu
  bool dropped = false;           // the transport let go; guarded by mu
  int calls = 0;                  // call threads using `dispatch`; guarded by mu
  // Written by the keeper before it reports the Open done, read-only afterwards.
  std::array<DISPID, kMemberNames.size()> ids{};
  std::array<bool, kMemberNames.size()> found{};
};

void Drop(Connection* connection) {
  std::lock_guard<std::mutex> lock(connection->mu);
  connection->dropped = true;
  connection->cv.notify_all();
}

// One piece of work on a worker thread and its outcome. The worker holds it as long as the
// caller, so a caller that stops waiting leaves it valid for a late finish.
struct Job {
  Job() : done(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}
  ~Job() {
    if (done != nullptr) CloseHandle(done);
  }
  Job(const Job&) = delete;
  Job& operator=(const Job&) = delete;

  HANDLE done;  // set when the fields below are final
  int code = EIO;
  uint32_t number = 0;  // a property's value
  KoriReply reply;
};

DWORD WINAPI ThreadMain(LPVOID body) {
  std::unique_ptr<std::function<void()>> run(static_cast<std::function<void()>*>(body));
  (*run)();
  return 0;
}

// Runs `body` on a new detached thread. false when the thread could not be made.
bool StartThread(std::function<void()> body) {
  auto* heap = new std::function<void()>(std::move(body));
  HANDLE thread = CreateThread(nullptr, 0, ThreadMain, heap, 0, nullptr);
  if (thread == nullptr) {
    delete heap;
    return false;
  }
  CloseHandle(thread);
  return true;
}

// The keeper of a connection: creates the object, looks up the members, reports to `job`,
// then holds the apartment until the connection is dropped and unused.
void KeepConnection(const std::shared_ptr<Connection>& connection,
                    const std::shared_ptr<Job>& job) {
  const HRESULT init = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
  IDispatch* dispatch = nullptr;
  HRESULT hr = init;
  if (SUCCEEDED(init)) {
    hr = CoCreateInstance(kKoriClassId, nullptr, kKoriClassContext, IID_IDispatch,
                          reinterpret_cast<void**>(&dispatch));
  }
  if (SUCCEEDED(hr)) {
    // One name at a time: a server that lacks one still gives the others.
    for (size_t m = 0; m < kMemberNames.size(); ++m) {
      std::wstring name = Widen(kMemberNames[m]);
      LPOLESTR names[1] = {name.data()};
      DISPID id = DISPID_UNKNOWN;
      connection->found[m] =
          SUCCEEDED(dispatch->GetIDsOfNames(IID_NULL, names, 1, kNameLocale, &id));
      connection->ids[m] = id;
    }
  }
  {
    std::lock_guard<std::mutex> lock(connection->mu);
    connection->dispatch = dispatch;
  }
  job->code = SUCCEEDED(hr) ? 0 : hr == REGDB_E_CLASSNOTREG ? ENOENT : EIO;
  SetEvent(job->done);

  std::unique_lock<std::mutex> lock(connection->mu);
  connection->cv.wait(lock, [&] { return connection->dropped && connection->calls == 0; });
  connection->dispatch = nullptr;
  lock.unlock();
  if (dispatch != nullptr) dispatch->Release();
  if (SUCCEEDED(init)) CoUninitialize();
}

// Reads the property `id`, which must come as `type` (VT_I2 or VT_UI4), into job->number.
int GetProperty(IDispatch* dispatch, DISPID id, VARTYPE type, Job* job) {
  DISPPARAMS none = {nullptr, nullptr, 0, 0};
  VARIANT result;
  VariantInit(&result);
  const HRESULT hr = dispatch->Invoke(id, IID_NULL, kCallLocale, DISPATCH_PROPERTYGET, &none,
                                      &result, nullptr, nullptr);
  int code = FAILED(hr) ? EIO : result.vt != type ? EBADMSG : 0;
  if (code == 0) {
    job->number = type == VT_I2 ? static_cast<uint16_t>(result.iVal) : result.ulVal;
  }
  VariantClear(&result);
  return code;
}

// Copies a one-dimensional array of bytes. false for any other shape.
bool CopyBytes(SAFEARRAY* array, std::vector<uint8_t>* out) {
  if (SafeArrayGetDim(array) != 1 || SafeArrayGetElemsize(array) != 1) return false;
  LONG low = 0, high = -1;
  if (FAILED(SafeArrayGetLBound(array, 1, &low)) || FAILED(SafeArrayGetUBound(array, 1, &high))) {
    return false;
  }
  void* data = nullptr;
  if (FAILED(SafeArrayAccessData(array, &data))) return false;
  const auto* bytes = static_cast<const uint8_t*>(data);
  if (high >= low) out->assign(bytes, bytes + (static_cast<size_t>(high - low) + 1));
  SafeArrayUnaccessData(array);
  return true;
}

VARIANTARG Int16Arg(uint16_t value) {
  VARIANTARG arg;
  VariantInit(&arg);
  arg.vt = VT_I2;
  arg.iVal = static_cast<SHORT>(value);
  return arg;
}

// Calls VCRequest with its seven arguments and fills job->reply.
int CallVcRequest(IDispatch* dispatch, DISPID id, const KoriCall& call, Job* job) {
  // The request bytes go out only when there are some; the server returns its answer in the
  // same argument.
  SAFEARRAY* data = nullptr;
  if (!call.input.empty()) {
    data = SafeArrayCreateVector(VT_UI1, 0, static_cast<ULONG>(call.input.size()));
    void* bytes = nullptr;
    if (data == nullptr || FAILED(SafeArrayAccessData(data, &bytes))) {
      if (data != nullptr) SafeArrayDestroy(data);
      return ENOMEM;
    }
    std::memcpy(bytes, call.input.data(), call.input.size());
    SafeArrayUnaccessData(data);
  }
  uint8_t status = kStatusNotSet;
  // Invoke takes the arguments last first.
  VARIANTARG args[7];
  args[6] = Int16Arg(call.command);
  args[5] = Int16Arg(call.sub_code);
  args[4] = Int16Arg(call.third_code);
  args[3] = Int16Arg(static_cast<uint16_t>(call.cabinet));
  VariantInit(&args[2]);
  args[2].vt = VT_BYREF | VT_ARRAY | VT_UI1;
  args[2].pparray = &data;
  VariantInit(&args[1]);
  args[1].vt = VT_BYREF | VT_UI1;
  args[1].pbVal = &status;
  args[0] = Int16Arg(call.last_code);
  DISPPARAMS params = {args, nullptr, 7, 0};
  VARIANT result;
  VariantInit(&result);
  EXCEPINFO exception{};
  UINT bad_argument = 0;
  const HRESULT hr = dispatch->Invoke(id, IID_NULL, kCallLocale, DISPATCH_METHOD, &params, &result,
                                      &exception, &bad_argument);
  VariantClear(&result);
  if (hr == DISP_E_EXCEPTION) {
    SysFreeString(exception.bstrSource);
    SysFreeString(exception.bstrDescription);
    SysFreeString(exception.bstrHelpFile);
  }
  int code = FAILED(hr) ? EIO : 0;
  if (code == 0 && data != nullptr && !CopyBytes(data, &job->reply.response)) code = EBADMSG;
  if (data != nullptr) SafeArrayDestroy(data);
  if (code == 0) job->reply.status = {status};
  return code;
}

class ComKoriTransport : public KoriTransport {
 public:
  ComKoriTransport() = default;
  ~ComKoriTransport() override { Close(); }

  void SetConnectTimeout(uint64_t usec) override { connect_timeout_usec_ = usec; }

  int Open() override {
    Close();
    call_timeout_usec_ = connect_timeout_usec_;
    if (Abandoned()) return ECANCELED;
    auto connection = std::make_shared<Connection>();
    auto job = std::make_shared<Job>();
    if (job->done == nullptr) return EIO;
    if (!StartThread([connection, job] { KeepConnection(connection, job); })) return EAGAIN;
    int code = Await(*job, connect_timeout_usec_);
    if (code == 0) code = job->code;
    if (code != 0) {
      // The keeper ends once its creation is over, whenever that is.
      Drop(connection.get());
      return code;
    }
    connection_ = std::move(connection);
    return 0;
  }

  int LookUpMember(const char* name, int32_t* id) override {
    if (connection_ == nullptr) return ENOTCONN;
    for (size_t m = 0; m < kMemberNames.size(); ++m) {
      if (std::strcmp(name, kMemberNames[m]) == 0) {
        if (!connection_->found[m]) return ENOENT;
        *id = static_cast<int32_t>(m);
        return 0;
      }
    }
    return ENOENT;
  }

  int ReadCabinetProperty(int16_t* value) override {
    uint32_t number = 0;
    const int code = ReadProperty(kServerCabinetNumber, VT_I2, &number);
    if (code == 0) *value = static_cast<int16_t>(number);
    return code;
  }

  int ReadDefaultTimeout(uint32_t* milliseconds) override {
    return ReadProperty(kDefaultTimeout, VT_UI4, milliseconds);
  }

  void SetCallTimeout(uint64_t usec) override { call_timeout_usec_ = usec; }

  void SetAbandon(Waitable abandon) override { abandon_ = abandon; }

  int Call(const KoriCall& call, KoriReply* reply) override {
    reply->response.clear();
    reply->status.clear();
    if (connection_ == nullptr) return ENOTCONN;
    if (!connection_->found[kVcRequest]) return ENOENT;
    const DISPID id = connection_->ids[kVcRequest];
    std::shared_ptr<Job> job;
    const int code = RunOnServer(
        call_timeout_usec_,
        [id, call](IDispatch* dispatch, Job* j) { return CallVcRequest(dispatch, id, call, j); },
        &job);
    if (code == 0) *reply = std::move(job->reply);
    return code;
  }

  void Close() override {
    if (connection_ == nullptr) return;
    Drop(connection_.get());
    connection_.reset();
  }

 private:
  bool Abandoned() const {
    return abandon_ != kInvalidWaitable &&
           WaitForSingleObject(NativeWaitable::Handle(abandon_), 0) == WAIT_OBJECT_0;
  }

  // Waits until `job` is done, at most `timeout_usec`, or until the abandon waitable is set.
  // 0, ETIMEDOUT, ECANCELED, or EIO when the wait itself fails.
  int Await(const Job& job, uint64_t timeout_usec) const {
    HANDLE handles[2] = {job.done, NativeWaitable::Handle(abandon_)};
    const DWORD count = abandon_ == kInvalidWaitable ? 1 : 2;
    const uint64_t ms = (timeout_usec + 999) / 1000;
    const DWORD bound = ms >= INFINITE ? INFINITE - 1 : static_cast<DWORD>(ms);
    switch (WaitForMultipleObjects(count, handles, FALSE, bound)) {
      case WAIT_OBJECT_0:
        return 0;
      case WAIT_OBJECT_0 + 1:
        return ECANCELED;
      case WAIT_TIMEOUT:
        return ETIMEDOUT;
      default:
        return EIO;
    }
  }

  // Runs `work` against the server object on a new thread and waits for it at most
  // `timeout_usec`. The work's own result when it finished (with the job in *job);
  // otherwise the code of the wait, or of the start.
  int RunOnServer(uint64_t timeout_usec, std::function<int(IDispatch*, Job*)> work,
                  std::shared_ptr<Job>* finished) {
    if (connection_ == nullptr) return ENOTCONN;
    if (Abandoned()) return ECANCELED;
    auto job = std::make_shared<Job>();
    if (job->done == nullptr) return EIO;
    std::shared_ptr<Connection> connection = connection_;
    const bool started = StartThread([connection, job, work = std::move(work)] {
      IDispatch* dispatch = nullptr;
      {
        std::lock_guard<std::mutex> lock(connection->mu);
        if (!connection->dropped && connection->dispatch != nullptr) {
          dispatch = connection->dispatch;
          ++connection->calls;
        }
      }
      if (dispatch == nullptr) {
        job->code = ENOTCONN;
      } else {
        // Joins the keeper's apartment, where the object's proxy lives.
        const HRESULT init = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        job->code = SUCCEEDED(init) ? work(dispatch, job.get()) : EIO;
        if (SUCCEEDED(init)) CoUninitialize();
        std::lock_guard<std::mutex> lock(connection->mu);
        --connection->calls;
        connection->cv.notify_all();
      }
      SetEvent(job->done);
    });
    if (!started) return EAGAIN;
    const int code = Await(*job, timeout_usec);
    if (code != 0) return code;
    *finished = job;
    return job->code;
  }

  int ReadProperty(int member, VARTYPE type, uint32_t* value) {
    if (connection_ == nullptr) return ENOTCONN;
    if (!connection_->found[member]) return ENOENT;
    const DISPID id = connection_->ids[member];
    std::shared_ptr<Job> job;
    const int code = RunOnServer(
        connect_timeout_usec_,
        [id, type](IDispatch* dispatch, Job* j) { return GetProperty(dispatch, id, type, j); },
        &job);
    if (code == 0) *value = job->number;
    return code;
  }

  uint64_t connect_timeout_usec_ = kDefaultConnectTimeoutUsec;
  uint64_t call_timeout_usec_ = kDefaultConnectTimeoutUsec;
  Waitable abandon_ = kInvalidWaitable;
  // The server object of the last Open; null while closed.
  std::shared_ptr<Connection> connection_;
};

}  // namespace

std::unique_ptr<KoriTransport> NewComKoriTransport() {
  return std::make_unique<ComKoriTransport>();
}

}  // namespace quillon
