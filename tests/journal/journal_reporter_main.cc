// Helper program of the journald test: reports the service's events through the real journal
// backend, or checks the journal message catalog against the message table.
//   quillon-journal-reporter report
//   quillon-journal-reporter check-catalog FILE
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>

#include "common/log/event_report.h"
#include "common/log/message_table.h"
#include "platform/posix/journal_event_log.h"

namespace quillon {
namespace {

int Report() {
  JournalEventLog journal;
  Status all = kOk;
  all |= ReportLogEvent(&journal, Language::kEnglish, "TALVEN", "TALVEN", kEventTypeInformation,
                        kEventServiceStart, "TALVEN");
  all |= ReportLogEvent(&journal, Language::kJapanese, "TALVEN", "TALVEN", kEventTypeInformation,
                        kEventStatus,
                        "Status: [Install=2026/01/02 03:04:05] [LifeTime=120] [RunningTime=100] "
                        "[Average=20.5].");
  all |= ReportLogEvent(&journal, Language::kEnglish, "CPU fan: 100% of its rated life has passed.",
                        "TALVEN", kEventTypeError, kEventLimit, "TALVEN");
  if (all != kOk) {
    std::fprintf(stderr, "reporting failed with status %u\n", all);
    return 1;
  }
  return 0;
}

// Every MESSAGE_ID needs an English and a Japanese entry whose Subject is the first line of
// the table text, with the insertion strings as journal fields.
int CheckCatalog(const char* path) {
  std::ifstream in(path);
  if (!in) {
    std::fprintf(stderr, "cannot read %s\n", path);
    return 1;
  }
  std::stringstream content;
  content << in.rdbuf();
  const std::string catalog = content.str();
  int failures = 0;
  for (uint32_t event_id : JournalEventIds()) {
    const MessageTableEntry* entry = FindMessage(event_id);
    if (entry == nullptr) {
      std::fprintf(stderr, "0x%08X has a MESSAGE_ID but no table text\n", event_id);
      ++failures;
      continue;
    }
    for (int japanese = 0; japanese < 2; ++japanese) {
      std::string head = std::string("-- ") + JournalMessageId(event_id) + (japanese ? " ja" : "");
      std::string text = FormatEventMessage(japanese ? entry->japanese : entry->english,
                                            "@TALVEN_STRING1@", "@TALVEN_STRING2@");
      std::string subject = text.substr(0, text.find('\n'));
      while (!subject.empty() && subject.back() == ' ') subject.pop_back();
      std::string expected = head + "\nSubject: " + subject + "\n";
      if (catalog.find(expected) == std::string::npos) {
        std::fprintf(stderr, "catalog lacks:\n%s", expected.c_str());
        ++failures;
      }
    }
  }
  return failures == 0 ? 0 : 1;
}

}  // namespace
}  // namespace quillon

int main(int argc, char** argv) {
  if (argc == 2 && std::strcmp(argv[1], "report") == 0) return quillon::Report();
  if (argc == 3 && std::strcmp(argv[1], "check-catalog") == 0) {
    return quillon::CheckCatalog(argv[2]);
  }
  std::fprintf(stderr, "usage: %s report | check-catalog FILE\n", argv[0]);
  return 2;
}
