#include "service/worker.h"

#include <gtest/gtest.h>

#include "common/wire/pipe_format.h"
#include "platform/pipe.h"
#include "service/worker_table.h"
#include "service/worker_test_util.h"

namespace quillon {
namespace {

class PipeWorker : public Worker {
 public:
  PipeWorker(TraceLog* trace, std::shared_ptr<Event> stop, std::string name)
      : Worker(trace, Language::kJapanese, std::move(stop), std::move(name), "") {}
  int RunWithPipes() override {
    saw_pipe = pipe(0) != nullptr && pipe(1) == nullptr;
    return 5;
  }
  bool saw_pipe = false;
};

TEST(WorkerTest, ThreadEntryCreatesAndReleasesItsPipes) {
  TraceFixture f;
  auto stop = std::make_shared<Event>();
  PipeWorker w(&f.trace, stop, kPartsChangePipeName);
  EXPECT_EQ(w.pipe_count(), 1);
  EXPECT_EQ(w.ThreadEntry(), 5);
  EXPECT_TRUE(w.saw_pipe);
  EXPECT_EQ(w.pipe(0), nullptr);
  EXPECT_FALSE(std::filesystem::exists(f.runtime_dir + "/" + kPartsChangePipeName));

  // A pipe that cannot be made (another server holds the name) is traced and the run is
  // skipped.
  auto holder = PipeServer::Create(kPartsChangePipeName, nullptr);
  ASSERT_NE(holder, nullptr);
  PipeWorker bad(&f.trace, stop, kPartsChangePipeName);
  EXPECT_EQ(bad.ThreadEntry(), 0);
  EXPECT_FALSE(bad.saw_pipe);
  EXPECT_EQ(f.sink.Count("CreatePipe failed."), 1);

  Worker plain(&f.trace, Language::kJapanese, stop, "", "");
  EXPECT_EQ(plain.pipe_count(), 0);
  EXPECT_EQ(plain.ThreadEntry(), 0);
}

TEST(WorkerTest, StartStopAndQueryWithTheirTraceLines) {
  TraceFixture f;
  auto terminate = std::make_shared<Event>();
  WorkerTable table(&f.trace, terminate);
  auto stop = std::make_shared<Event>();
  auto worker = std::make_shared<WaitingWorker>(&f.trace, stop);
  table.SetStopEvent(0, stop);
  table.SetWorker(0, worker);

  EXPECT_FALSE(table.StopWorker(0));
  EXPECT_EQ(f.sink.Count("Thread 1 is already stopping."), 1);
  stop->Set();  // a stale stop signal must not end the new thread at once
  EXPECT_TRUE(table.StartWorker(0, WorkerTable::Origin::kServiceStart));
  EXPECT_EQ(f.sink.Count("CreateHandle 1/1 Success."), 1);
  ASSERT_EQ(WaitOne(worker->entered.waitable(), kTestBoundMs), 0);
  EXPECT_FALSE(stop->IsSet());
  EXPECT_TRUE(table.thread_recorded(0));
  EXPECT_FALSE(table.StartWorker(0, WorkerTable::Origin::kCommand));
  EXPECT_EQ(f.sink.Count("Thread 1 is already running."), 1);

  EXPECT_FALSE(table.StopWorker(0));
  EXPECT_EQ(f.sink.Count("Threads 1/1 terminate success."), 1);
  EXPECT_FALSE(table.thread_recorded(0));
  // The same worker object runs again in a new thread.
  worker->entered.Reset();
  EXPECT_TRUE(table.StartWorker(0, WorkerTable::Origin::kCommand));
  ASSERT_EQ(WaitOne(worker->entered.waitable(), kTestBoundMs), 0);
  EXPECT_EQ(worker->runs.load(), 2);
  EXPECT_TRUE(table.StopForShutdown(0));
  // The trace order: the creation line comes before anything the worker does.
  auto lines = f.sink.messages();
  EXPECT_EQ(lines.front(), "Thread 1 is already stopping.");
}

// A start that gets no thread is traced with the system's own texts, "faled." (sic) for a start
// by command and "failed." for the start at service start, and records nothing.
TEST(WorkerTest, AStartWithoutAThreadIsTracedAsTheSystemSpellsIt) {
  TraceFixture f;
  WorkerTable table(&f.trace, std::make_shared<Event>());
  auto stop = std::make_shared<Event>();
  table.SetStopEvent(0, stop);
  table.SetWorker(0, std::make_shared<WaitingWorker>(&f.trace, stop));
  // The maker's signature takes the worker by value, as WorkerThread::CreateSuspended does.
  table.set_thread_maker(
      [](std::shared_ptr<Worker>) {  // NOLINT(performance-unnecessary-value-param)
        return std::unique_ptr<WorkerThread>();
      });

  EXPECT_FALSE(table.StartWorker(0, WorkerTable::Origin::kCommand));
  EXPECT_FALSE(table.StartWorker(0, WorkerTable::Origin::kServiceStart));
  EXPECT_EQ(f.sink.messages(),
            (std::vector<std::string>{"CreateHandle 1/1 faled.", "CreateHandle 1/1 failed."}));
  EXPECT_FALSE(table.thread_recorded(0));
}

TEST(WorkerTest, StopGivesUpOnTerminateAndOutlivingWorkerIsSafe) {
  TraceFixture f;
  auto terminate = std::make_shared<Event>();
  std::weak_ptr<WaitingWorker> watch;
  auto stop = std::make_shared<Event>();
  auto destroyed = std::make_shared<Event>();
  {
    WorkerTable table(&f.trace, terminate);
    auto worker = std::make_shared<WaitingWorker>(&f.trace, stop);
    worker->hold = true;
    worker->destroyed = destroyed;
    watch = worker;
    table.SetStopEvent(0, stop);
    table.SetWorker(0, worker);
    ASSERT_TRUE(table.StartWorker(0, WorkerTable::Origin::kCommand));
    worker.reset();
    // The service is stopping: the stop command returns at once and keeps the entry.
    terminate->Set();
    EXPECT_TRUE(table.StopWorker(0));
    EXPECT_TRUE(table.thread_recorded(0));
    // The shutdown wait runs out while the worker is still busy.
    EXPECT_FALSE(table.StopForShutdown(0, 1));
  }
  // The table is gone, the thread still runs and still owns its worker.
  auto alive = watch.lock();
  ASSERT_NE(alive, nullptr);
  alive->release.Set();
  alive.reset();
  // The worker dies with its thread.
  EXPECT_EQ(WaitOne(destroyed->waitable(), kTestBoundMs), 0);
}

}  // namespace
}  // namespace quillon
