#include "common/log/message_table.h"

#include <iterator>

namespace quillon {
namespace {

// Each text ends with %0 followed by the line end that closes every entry of the message
// file; the status text has a written line break after its %n.
constexpr MessageTableEntry kMessages[] = {
    {0x400203E8, "Quillon (%1) execution started.%0\r\n",
     "Quillon(%1) の実行を開始しました。%0\r\n"},
    {0x400203E9, "Quillon(%1) install complete.%0\r\n",
     "Quillon(%1) をインストールしました。%0\r\n"},
    {0x400203EA, "Quillon(%1) execution suspended.%0\r\n",
     "Quillon(%1) の実行を停止しました。%0\r\n"},
    {0x400203EB, "Quillon(%1) uninstall complete.%0\r\n",
     "Quillon(%1) をアンインストールしました。%0\r\n"},
    {0x400203EC, "Quillon (%1) execution status.%n\r\n%2 %0\r\n",
     "Quillon(%1) 稼動状況%n\r\n%2 %0\r\n"},
    {0x400203ED, "Quillon (%1) test notice.%n\r\n%2 %0\r\n",
     "Quillon(%1) テスト通知%n\r\n%2 %0\r\n"},
    {0xC00004B0, "Error occurred in Error In Quillon(%1).( %2 )%0\r\n",
     "Quillon(%1) でエラーが発生しました。( %2 )%0\r\n"},
    {0xC00004B1, "Get Life Time error occurred in %1.( %2)%0\r\n",
     "%1 で Get Life Time エラーが発生しました。( %2 )%0\r\n"},
    {0xC00004B2, "IMP does not exist or driver error.( %2 )%0\r\n",
     "IMP が存在しないかドライバエラーです。( %2 )%0\r\n"},
    {0xC00004B3, "%1 %0\r\n", "%1 %0\r\n"},
    {0xC00004B4, "%1 %0\r\n", "%1 %0\r\n"},
    {0xC00004B5, "%1 %0\r\n", "%1 %0\r\n"},
    {0xC00004B6, "%1 %0\r\n", "%1 %0\r\n"},
    {0xC00004B7, "Quillon(%1) cannot use its settings store.( %2 )%0\r\n",
     "Quillon(%1) は設定ストアを使用できません。( %2 )%0\r\n"},
    {0xC00004B8, "Quillon(%1) could not write a setting.( %2 )%0\r\n",
     "Quillon(%1) は設定値を書き込めませんでした。( %2 )%0\r\n"},
};

}  // namespace

std::span<const MessageTableEntry> MessageTable() { return kMessages; }

const MessageTableEntry* FindMessage(uint32_t event_id) {
  for (const MessageTableEntry& entry : kMessages) {
    if (entry.event_id == event_id) return &entry;
  }
  return nullptr;
}

std::string FormatEventMessage(const char* text, const char* string1, const char* string2) {
  std::string out;
  if (text == nullptr) return out;
  for (const char* p = text; *p != '\0'; ++p) {
    if (*p == '\r' || *p == '\n') continue;
    if (*p != '%' || p[1] == '\0') {
      out.push_back(*p);
      continue;
    }
    char c = *++p;
    switch (c) {
      case '0':
        return out;
      case '1':
        if (string1 != nullptr) out += string1;
        break;
      case '2':
        if (string2 != nullptr) out += string2;
        break;
      case 'n':
        out.push_back('\n');
        break;
      case 't':
        out.push_back('\t');
        break;
      case 'b':
        out.push_back(' ');
        break;
      case 'r':
        out.push_back('\r');
        break;
      case '%':
      case '.':
      case '!':
        out.push_back(c);
        break;
      default:
        out.push_back('%');
        out.push_back(c);
        break;
    }
  }
  return out;
}

}  // namespace quillon
