#include "platform/posix/dbus_member_table.h"

namespace quillon {
namespace {

// One start or end tag of the description, as far as the look-up needs it.
struct Tag {
  std::string_view name;
  std::string_view name_attribute;  // value of name="..." or name='...'
  bool closing = false;             // </x>
  bool self_closing = false;        // <x/>
};

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

// Reads the tag that starts at text[pos] == '<'. Comments, declarations and processing
// instructions are skipped (returns false with *pos past them); so is an unterminated tag at
// the end of the text. Every index stays inside the text.
bool ReadTag(std::string_view text, size_t* pos, Tag* tag) {
  size_t i = *pos + 1;
  if (text.substr(i, 3) == "!--") {
    size_t end = text.find("-->", i + 3);
    *pos = end == std::string_view::npos ? text.size() : end + 3;
    return false;
  }
  if (i < text.size() && (text[i] == '!' || text[i] == '?')) {
    size_t end = text.find('>', i);
    *pos = end == std::string_view::npos ? text.size() : end + 1;
    return false;
  }
  *tag = Tag{};
  if (i < text.size() && text[i] == '/') {
    tag->closing = true;
    ++i;
  }
  size_t name_start = i;
  while (i < text.size() && !IsSpace(text[i]) && text[i] != '>' && text[i] != '/') ++i;
  tag->name = text.substr(name_start, i - name_start);
  // Attributes up to the closing '>', honouring quotes so that a '>' inside a value does not
  // end the tag.
  while (i < text.size() && text[i] != '>') {
    if (text[i] == '/') {
      tag->self_closing = true;
      ++i;
      continue;
    }
    tag->self_closing = false;
    if (IsSpace(text[i])) {
      ++i;
      continue;
    }
    size_t attr_start = i;
    while (i < text.size() && !IsSpace(text[i]) && text[i] != '=' && text[i] != '>' &&
           text[i] != '/') {
      ++i;
    }
    std::string_view attr = text.substr(attr_start, i - attr_start);
    while (i < text.size() && IsSpace(text[i])) ++i;
    if (i >= text.size() || text[i] != '=') continue;
    ++i;
    while (i < text.size() && IsSpace(text[i])) ++i;
    if (i >= text.size()) break;
    char quote = text[i];
    if (quote != '"' && quote != '\'') continue;
    size_t value_start = ++i;
    size_t value_end = text.find(quote, value_start);
    if (value_end == std::string_view::npos) {
      i = text.size();
      break;
    }
    if (attr == "name") tag->name_attribute = text.substr(value_start, value_end - value_start);
    i = value_end + 1;
  }
  if (i >= text.size()) {
    *pos = text.size();
    return false;
  }
  *pos = i + 1;
  return true;
}

}  // namespace

std::vector<std::string_view> IntrospectedMembers(std::string_view xml,
                                                  std::string_view interface) {
  std::vector<std::string_view> members;
  int interface_depth = 0;  // > 0 while inside an <interface> of the wanted name
  size_t pos = 0;
  while (pos < xml.size()) {
    size_t open = xml.find('<', pos);
    if (open == std::string_view::npos) break;
    pos = open;
    Tag tag;
    if (!ReadTag(xml, &pos, &tag)) continue;
    if (tag.name == "interface") {
      if (tag.closing) {
        if (interface_depth > 0) --interface_depth;
      } else if (!tag.self_closing && (interface_depth > 0 || tag.name_attribute == interface)) {
        ++interface_depth;
      }
      continue;
    }
    if (interface_depth > 0 && !tag.closing && (tag.name == "method" || tag.name == "property")) {
      members.push_back(tag.name_attribute);
    }
  }
  return members;
}

}  // namespace quillon
