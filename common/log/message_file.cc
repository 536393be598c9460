#include "common/log/message_file.h"

#include <cstdio>
#include <set>
#include <string_view>

#include "common/log/message_table.h"

namespace quillon {
namespace {

constexpr const char* kSeverityNames[] = {"Success", "Informational", "Warning", "Error"};

std::string Hex(uint32_t value) {
  char text[16];
  std::snprintf(text, sizeof(text), "0x%X", value);
  return text;
}

std::string FacilityName(uint32_t facility) { return "Facility" + std::to_string(facility); }

// The text's lines as the message file holds them. The compiler keeps each line's own end in
// the stored text, so the lines end with CR LF as the table's texts do.
void AppendBody(std::string_view text, std::string* out) {
  while (!text.empty()) {
    size_t end = text.find("\r\n");
    if (end == std::string_view::npos) end = text.size();
    out->append(text.substr(0, end));
    out->append("\r\n");
    text.remove_prefix(end == text.size() ? end : end + 2);
  }
  out->append(".\r\n");
}

}  // namespace

std::string MessageFileText() {
  std::set<uint32_t> facilities;
  for (const MessageTableEntry& entry : MessageTable()) {
    facilities.insert((entry.event_id >> 16) & 0xFFF);
  }
  std::string out =
      "; The message table of the TALVEN service, in English and in Japanese. Made from the\r\n"
      "; table in common/log/message_table.cc (MessageFileText); do not edit by hand.\r\n"
      "MessageIdTypedef=DWORD\r\n"
      "SeverityNames=(Success=0x0 Informational=0x1 Warning=0x2 Error=0x3)\r\n"
      "FacilityNames=(";
  for (uint32_t facility : facilities) {
    if (facility != *facilities.begin()) out += ' ';
    out += FacilityName(facility) + "=" + Hex(facility);
  }
  out +=
      ")\r\n"
      "LanguageNames=(English=0x409:MSG00409)\r\n"
      "LanguageNames=(Japanese=0x411:MSG00411)\r\n";
  for (const MessageTableEntry& entry : MessageTable()) {
    out += "\r\nMessageId=" + Hex(entry.event_id & 0xFFFF) + "\r\n";
    out += std::string("Severity=") + kSeverityNames[entry.event_id >> 30] + "\r\n";
    out += "Facility=" + FacilityName((entry.event_id >> 16) & 0xFFF) + "\r\n";
    out += "Language=English\r\n";
    AppendBody(entry.english, &out);
    out += "Language=Japanese\r\n";
    AppendBody(entry.japanese, &out);
  }
  return out;
}

}  // namespace quillon
