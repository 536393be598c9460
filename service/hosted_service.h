#ifndef QUILLON_SERVICE_HOSTED_SERVICE_H_
#define QUILLON_SERVICE_HOSTED_SERVICE_H_

#include <cstdint>
#include <string>

#include "common/settings/language.h"
#include "service/service_status_sink.h"
#include "service/talven_service.h"

namespace quillon {

// What the host needs of the service object: its names and language, its run, and the way
// to signal its terminate event. Lets the host be tested without running the whole service.
class HostedService {
 public:
  virtual ~HostedService() = default;
  virtual const std::string& service_name() const = 0;
  virtual const std::string& display_name() const = 0;
  // The language of the event-log texts.
  virtual Language language() const = 0;
  // Where the run reports its states; set by the host before the run.
  virtual void set_status_sink(ServiceStatusSink* sink) = 0;
  // Runs the service on the calling thread until it has stopped and released everything;
  // returns the exit code for the final stopped report.
  virtual uint32_t Run() = 0;
  // Signals the terminate event; thread-safe, also before Run has begun.
  virtual void Terminate() = 0;
};

// The real service object as the host sees it. Not owned; must outlive the adapter.
class HostedTalvenService : public HostedService {
 public:
  explicit HostedTalvenService(TalvenService* service) : service_(service) {}
  const std::string& service_name() const override { return service_->service_name(); }
  const std::string& display_name() const override { return service_->display_name(); }
  Language language() const override { return service_->language(); }
  void set_status_sink(ServiceStatusSink* sink) override { service_->set_status_sink(sink); }
  uint32_t Run() override { return service_->Run(); }
  void Terminate() override { service_->Terminate(); }

 private:
  TalvenService* service_;
};

}  // namespace quillon

#endif  // QUILLON_SERVICE_HOSTED_SERVICE_H_
