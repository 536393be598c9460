// The message table as the event log's viewer reads it: FormatMessageW on the program's own
// resource renders every identifier in both languages as FormatEventMessage does, which gives
// the texts of the journal on Linux. One difference is the system's: FormatMessageW keeps a
// line break written in a text (the status texts have one after their %n), where the journal's
// text drops it, so the viewer shows an empty line there.
#include <windows.h>

#include <string>
#include <vector>

#include "common/log/message_table.h"
#include "gtest/gtest.h"
#include "platform/win32/wide_text.h"

namespace quillon {
namespace {

// The text FormatMessageW makes of `id` in `language` with the two insertion strings, UTF-8,
// its line breaks as "\n"; `ok` false when the module has no such message.
std::string Render(HMODULE module, uint32_t id, WORD language, const std::wstring& s1,
                   const std::wstring& s2, bool* ok) {
  DWORD_PTR args[] = {reinterpret_cast<DWORD_PTR>(s1.c_str()),
                      reinterpret_cast<DWORD_PTR>(s2.c_str())};
  wchar_t* buffer = nullptr;
  const DWORD n = FormatMessageW(
      FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_ARGUMENT_ARRAY | FORMAT_MESSAGE_ALLOCATE_BUFFER,
      module, id, MAKELANGID(language, SUBLANG_DEFAULT), reinterpret_cast<wchar_t*>(&buffer), 0,
      reinterpret_cast<va_list*>(args));
  *ok = n > 0;
  std::string text = Narrow(std::wstring_view(buffer != nullptr ? buffer : L"", n));
  LocalFree(buffer);
  std::string out;
  for (char c : text) {
    if (c != '\r') out.push_back(c);
  }
  return out;
}

// The table's text with its written line breaks made hard ones, as FormatMessageW shows them.
std::string WrittenBreaksKept(const char* text) {
  std::string out;
  for (const char* p = text; *p != '\0'; ++p) {
    if (p[0] == '\r' && p[1] == '\n') {
      out += "%n";
      ++p;
    } else {
      out.push_back(*p);
    }
  }
  return out;
}

void ExpectTableRendered(HMODULE module) {
  const std::string s1 = "TALVEN";
  const std::string s2 = "Status: [Install=2026/12/09 05:00:00] [Average=稼動]";
  for (const MessageTableEntry& entry : MessageTable()) {
    for (WORD language : {LANG_ENGLISH, LANG_JAPANESE}) {
      const char* text = language == LANG_ENGLISH ? entry.english : entry.japanese;
      bool ok = false;
      const std::string shown = Render(module, entry.event_id, language, Widen(s1), Widen(s2), &ok);
      ASSERT_TRUE(ok) << std::hex << entry.event_id << " language " << language << ": "
                      << GetLastError();
      EXPECT_EQ(shown, FormatEventMessage(WrittenBreaksKept(text).c_str(), s1.c_str(), s2.c_str()))
          << std::hex << entry.event_id << " language " << language;
    }
  }
}

TEST(MessageResourceTest, EveryIdentifierRendersAsTheJournalTextInBothLanguages) {
  ExpectTableRendered(GetModuleHandleW(nullptr));
  // The one difference, spelt out for the status text.
  bool ok = false;
  EXPECT_EQ(Render(GetModuleHandleW(nullptr), 0x400203EC, LANG_ENGLISH, L"TALVEN", L"S", &ok),
            "Quillon (TALVEN) execution status.\n\nS ");
  EXPECT_EQ(FormatEventMessage(FindMessage(0x400203EC)->english, "TALVEN", "S"),
            "Quillon (TALVEN) execution status.\nS ");
  ok = true;
  Render(GetModuleHandleW(nullptr), 0x400203FF, LANG_ENGLISH, L"", L"", &ok);
  EXPECT_FALSE(ok) << "an identifier outside the table";
}

TEST(MessageResourceTest, TheServiceProgramCarriesTheTable) {
  const std::wstring path = Widen(QUILLON_SERVICE_PROGRAM);
  if (GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
    GTEST_SKIP() << QUILLON_SERVICE_PROGRAM << " is not built";
  }
  HMODULE program = LoadLibraryExW(path.c_str(), nullptr,
                                   LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
  ASSERT_NE(program, nullptr) << GetLastError();
  ExpectTableRendered(program);
  FreeLibrary(program);
}

}  // namespace
}  // namespace quillon
