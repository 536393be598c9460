#include "common/log/trace_log.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/fakes/fake_system_info.h"
#include "platform/fakes/recorders.h"

namespace quillon {
namespace {

TEST(TraceLogTest, TracesToOrnalogBesideTheProgramWhateverItsDirectory) {
  FakeSystemInfo system;
  RecordingTraceSink sink;
  TraceLog log(&system, &sink);

  system.program_path = "/opt/quillon/bin/TALVENSV";
  log.Trace("*** TALVEN SERVICE START ***");
  // The program moves: the next message follows it, nothing is cached.
  system.program_path = "/srv/other dir/TALVENSV";
  log.Tracef("Threads %ld/%ld terminate success.", 1L, 2L);

  ASSERT_EQ(sink.paths().size(), 2u);
  EXPECT_EQ(sink.paths()[0], "/opt/quillon/bin/ORNALOG.TXT");
  EXPECT_EQ(sink.paths()[1], "/srv/other dir/ORNALOG.TXT");
  EXPECT_EQ(sink.messages()[0], "*** TALVEN SERVICE START ***");
  EXPECT_EQ(sink.messages()[1], "Threads 1/2 terminate success.");
}

TEST(TraceLogTest, TracefHandlesLongTexts) {
  FakeSystemInfo system;
  RecordingTraceSink sink;
  TraceLog log(&system, &sink);
  std::string long_text(5000, 'a');
  log.Tracef("GetBBU_3: BBU is present [Ctl=%d] [%s].", 3, long_text.c_str());
  ASSERT_EQ(sink.messages().size(), 1u);
  EXPECT_EQ(sink.messages()[0], "GetBBU_3: BBU is present [Ctl=3] [" + long_text + "].");
}

}  // namespace
}  // namespace quillon
