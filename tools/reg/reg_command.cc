#include "tools/reg/reg_command.h"

#include <cerrno>
#include <charconv>
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <optional>
#include <string_view>

#include "platform/file_system.h"

namespace quillon {
namespace {

constexpr char kRootName[] = "HKEY_LOCAL_MACHINE";
constexpr char kNotFound[] =
    "ERROR: The system was unable to find the specified registry key or value.";
constexpr char kDone[] = "The operation completed successfully.";
constexpr char kUsage[] =
    "quillon-reg: reads and changes the Quillon settings store.\n"
    "\n"
    "  quillon-reg query  KEY [/v NAME | /ve] [/s]\n"
    "  quillon-reg add    KEY [/v NAME | /ve] [/t TYPE] [/s SEPARATOR] [/d DATA] [/f]\n"
    "  quillon-reg delete KEY [/v NAME | /ve | /va] [/f]\n"
    "  quillon-reg export KEY FILE [/y]\n"
    "\n"
    "  KEY        HKLM\\SUBKEY or HKEY_LOCAL_MACHINE\\SUBKEY\n"
    "  /v NAME    the value NAME;  /ve  the default (unnamed) value;  /va  all values\n"
    "  /s         query: the key and all its subkeys;  add: separator of REG_MULTI_SZ\n"
    "             strings (default \\0)\n"
    "  /t TYPE    REG_SZ (default), REG_EXPAND_SZ, REG_MULTI_SZ, REG_DWORD, REG_QWORD,\n"
    "             REG_BINARY\n"
    "  /d DATA    the data: REG_DWORD and REG_QWORD as decimal or 0x hex, REG_BINARY as\n"
    "             hex digits\n"
    "  /f         do not ask before overwriting or deleting\n"
    "  /y         export: overwrite FILE without asking\n"
    "\n"
    "Without /f, add overwrites an existing value and delete asks first when a terminal is\n"
    "attached; without a terminal add overwrites and delete refuses to act unless /f is given.\n"
    "The store is the file named by QUILLON_REGISTRY (default /var/lib/quillon/registry.db).\n";

std::string Lower(std::string_view s) {
  std::string out(s);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

bool EqualsNoCase(std::string_view a, std::string_view b) { return Lower(a) == Lower(b); }

// A key as the store knows it (path below the root, empty for the root itself) and as it is
// shown to the operator.
struct Key {
  std::string path;
  std::string display;

  Key Child(const std::string& name) const {
    return Key{path.empty() ? name : path + "\\" + name, display + "\\" + name};
  }
};

// Accepts "HKLM", "HKEY_LOCAL_MACHINE" and either followed by "\SUBKEY..."; trailing
// backslashes are dropped as reg does. False for any other root or an empty key name inside.
bool ParseKey(std::string_view text, Key* key) {
  size_t slash = text.find('\\');
  std::string_view root = text.substr(0, slash);
  if (!EqualsNoCase(root, "HKLM") && !EqualsNoCase(root, kRootName)) return false;
  std::string_view rest = slash == std::string_view::npos ? "" : text.substr(slash + 1);
  while (!rest.empty() && rest.back() == '\\') rest.remove_suffix(1);
  if (!rest.empty() && (rest.front() == '\\' || rest.find("\\\\") != std::string_view::npos)) {
    return false;
  }
  key->path = std::string(rest);
  key->display = rest.empty() ? kRootName : std::string(kRootName) + "\\" + key->path;
  return true;
}

struct TypeName {
  ValueType type;
  const char* name;
};
constexpr TypeName kTypeNames[] = {
    {ValueType::kNone, "REG_NONE"},          {ValueType::kSz, "REG_SZ"},
    {ValueType::kExpandSz, "REG_EXPAND_SZ"}, {ValueType::kBinary, "REG_BINARY"},
    {ValueType::kDword, "REG_DWORD"},        {ValueType::kMultiSz, "REG_MULTI_SZ"},
    {ValueType::kQword, "REG_QWORD"},
};

std::string NameOfType(ValueType type) {
  for (const auto& t : kTypeNames) {
    if (t.type == type) return t.name;
  }
  return "REG_UNKNOWN(" + std::to_string(static_cast<uint32_t>(type)) + ")";
}

std::optional<ValueType> TypeFromName(std::string_view name) {
  for (const auto& t : kTypeNames) {
    if (EqualsNoCase(name, t.name)) return t.type;
  }
  return std::nullopt;
}

std::string UpperHex(std::string_view bytes) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string out;
  for (unsigned char b : bytes) {
    out += kDigits[b >> 4];
    out += kDigits[b & 15];
  }
  return out;
}

// The number in the first `size` bytes of `data`, little-endian as the registry stores it.
uint64_t NumberOf(std::string_view data, size_t size) {
  uint64_t value = 0;
  for (size_t i = size; i-- > 0;) value = value << 8 | static_cast<unsigned char>(data[i]);
  return value;
}

// The byte count of a number type (REG_DWORD 4, REG_QWORD 8); 0 for every other type.
size_t NumberSize(ValueType type) {
  return type == ValueType::kDword ? 4 : type == ValueType::kQword ? 8 : 0;
}

// The strings of a REG_MULTI_SZ, without the empty string that ends the list.
std::vector<std::string> SplitMulti(std::string_view data) {
  std::vector<std::string> strings;
  while (!data.empty()) {
    size_t zero = data.find('\0');
    std::string_view s = data.substr(0, zero);
    if (s.empty() && zero != std::string_view::npos) break;
    strings.emplace_back(s);
    if (zero == std::string_view::npos) break;
    data.remove_prefix(zero + 1);
  }
  return strings;
}

// The data column of a query line, as reg shows it.
std::string QueryData(const StoreValue& v) {
  switch (v.type) {
    case ValueType::kDword:
    case ValueType::kQword:
      if (v.data.size() == NumberSize(v.type)) {
        char buf[24];
        std::snprintf(buf, sizeof buf, "0x%" PRIx64, NumberOf(v.data, v.data.size()));
        return buf;
      }
      break;
    case ValueType::kSz:
    case ValueType::kExpandSz:
      return v.data.substr(0, v.data.find('\0'));
    case ValueType::kMultiSz: {
      std::string out;
      for (const std::string& s : SplitMulti(v.data)) out += (out.empty() ? "" : "\\0") + s;
      return out;
    }
    default:
      break;
  }
  return UpperHex(v.data);
}

std::string QueryLine(const StoreValue& v) {
  return "    " + (v.name.empty() ? std::string("(Default)") : v.name) + "    " +
         NameOfType(v.type) + "    " + QueryData(v);
}

std::string Quoted(std::string_view text) {
  std::string out = "\"";
  for (char c : text) {
    if (c == '\\' || c == '"') out += '\\';
    out += c;
  }
  return out + "\"";
}

// `prefix` followed by the bytes as "xx,xx,..." wrapped like regedit: lines of at most 80
// characters, continued with a backslash and two spaces.
std::string HexLine(std::string prefix, std::string_view bytes) {
  static const char kDigits[] = "0123456789abcdef";
  std::string out;
  std::string line = std::move(prefix);
  for (size_t i = 0; i < bytes.size(); ++i) {
    unsigned char b = static_cast<unsigned char>(bytes[i]);
    std::string piece{kDigits[b >> 4], kDigits[b & 15]};
    if (i + 1 < bytes.size()) piece += ',';
    if (line.size() + piece.size() > 78) {
      out += line + "\\\n";
      line = "  ";
    }
    line += piece;
  }
  return out + line;
}

// A text that a quoted .reg string can carry unchanged: printable, ended by a zero byte and
// followed by nothing but zero bytes (the rest of a fixed-size buffer).
bool PlainText(std::string_view data) {
  size_t zero = data.find('\0');
  if (zero == std::string_view::npos) return false;
  if (data.find_first_not_of('\0', zero) != std::string_view::npos) return false;
  for (size_t i = 0; i < zero; ++i) {
    if (static_cast<unsigned char>(data[i]) < 0x20 || data[i] == 0x7f) return false;
  }
  return true;
}

std::string ExportLine(const StoreValue& v) {
  std::string name = v.name.empty() ? "@=" : Quoted(v.name) + "=";
  switch (v.type) {
    case ValueType::kDword:
      if (v.data.size() == 4) {
        char buf[24];
        std::snprintf(buf, sizeof buf, "dword:%08" PRIx64, NumberOf(v.data, 4));
        return name + buf;
      }
      break;
    case ValueType::kSz:
      if (PlainText(v.data)) return name + Quoted(v.data.substr(0, v.data.find('\0')));
      break;
    case ValueType::kBinary:
      return HexLine(name + "hex:", v.data);
    default:
      break;
  }
  char type[24];
  std::snprintf(type, sizeof type, "hex(%" PRIx32 "):", static_cast<uint32_t>(v.type));
  return HexLine(name + type, v.data);
}

enum class Answer { kYes, kNo, kNoTerminal };

struct OptionRule {
  const char* name;
  bool takes_value;
};

const std::vector<OptionRule>* OptionsOf(const std::string& verb) {
  static const std::map<std::string, std::vector<OptionRule>> kOptionRules = {
      {"query", {{"v", true}, {"ve", false}, {"s", false}}},
      {"add", {{"v", true}, {"ve", false}, {"t", true}, {"s", true}, {"d", true}, {"f", false}}},
      {"delete", {{"v", true}, {"ve", false}, {"va", false}, {"f", false}}},
      {"export", {{"y", false}}},
  };
  auto it = kOptionRules.find(verb);
  return it == kOptionRules.end() ? nullptr : &it->second;
}

class RegRunner {
 public:
  RegRunner(Store* store, std::ostream& out, std::ostream& err, const RegOptions& options)
      : store_(store), out_(out), err_(err), options_(options) {}

  int Run(const std::vector<std::string>& args);

 private:
  int Query(const Key& key);
  int QueryValueInTree(const Key& key, const std::string& name);
  int Add(const Key& key);
  int Delete(const Key& key);
  int Export(const Key& key);

  Status PrintKey(const Key& key, bool recurse);
  Status FindValueInTree(const Key& key, const std::string& name, int* matches);
  Status ExportTree(const Key& key, std::string* text);
  bool EncodeData(ValueType type, std::string* data);

  bool Has(const char* option) const { return options_seen_.count(option) != 0; }
  std::string Value(const char* option) const {
    auto it = options_seen_.find(option);
    return it == options_seen_.end() ? std::string() : it->second;
  }
  int Error(const std::string& line) {
    err_ << line << '\n';
    return 1;
  }
  int StoreError(Status status, bool writing);
  Answer Ask(const std::string& question);

  Store* store_;
  std::ostream& out_;
  std::ostream& err_;
  const RegOptions& options_;
  std::map<std::string, std::string> options_seen_;
  std::vector<std::string> positional_;
};

int RegRunner::StoreError(Status status, bool writing) {
  if (status == kErrorNotFound) return Error(kNotFound);
  std::string detail = options_.failure_detail ? options_.failure_detail() : std::string();
  if (detail.empty()) detail = "status " + std::to_string(status);
  std::string name = options_.store_name.empty() ? "" : " " + options_.store_name;
  const char* state = "is not readable: ";
  if (status == kErrorTimeout) {
    state = "is busy: ";
  } else if (status == kErrorWriteProtect ||
             (writing && (status == kErrorAccessDenied || status == kErrorWriteFault))) {
    // A store on a read-only file system cannot even be opened for reading once it needs
    // its lock files; the cause is that it cannot be written.
    state = "is not writable: ";
  }
  return Error("ERROR: The settings store" + name + " " + state + detail);
}

Answer RegRunner::Ask(const std::string& question) {
  if (!options_.interactive || options_.in == nullptr) return Answer::kNoTerminal;
  while (true) {
    out_ << question << std::flush;
    std::string reply;
    if (!std::getline(*options_.in, reply)) return Answer::kNo;
    std::string lower = Lower(reply);
    if (lower == "y" || lower == "yes") return Answer::kYes;
    if (lower == "n" || lower == "no") return Answer::kNo;
  }
}

int RegRunner::Run(const std::vector<std::string>& args) {
  if (args.empty()) return Error("ERROR: Invalid syntax. Type \"quillon-reg /?\" for usage.");
  if (args[0] == "/?" || args[0] == "-?" || args[0] == "-h" || args[0] == "--help") {
    out_ << kUsage;
    return 0;
  }
  const std::string verb = Lower(args[0]);
  const std::vector<OptionRule>* rules = OptionsOf(verb);
  if (rules == nullptr) {
    return Error("ERROR: Invalid operation \"" + args[0] + "\": use query, add, delete or export.");
  }
  for (const std::string& arg : args) {
    if (arg == "/?" || arg == "-?") {
      out_ << kUsage;
      return 0;
    }
  }
  if (args.size() < 2) return Error("ERROR: Invalid syntax: " + verb + " needs a key.");
  Key key;
  if (!ParseKey(args[1], &key)) {
    return Error("ERROR: Invalid key name \"" + args[1] +
                 "\": write HKLM\\SUBKEY or HKEY_LOCAL_MACHINE\\SUBKEY.");
  }

  for (size_t i = 2; i < args.size(); ++i) {
    const std::string& arg = args[i];
    const OptionRule* rule = nullptr;
    if (arg.size() > 1 && (arg[0] == '/' || arg[0] == '-')) {
      std::string name = Lower(arg.substr(1));
      for (const OptionRule& s : *rules) {
        if (name == s.name) rule = &s;
      }
      // The export file is a path, which on this system may itself begin with '/'.
      bool export_file = verb == "export" && arg[0] == '/' && positional_.empty();
      if (rule == nullptr && !export_file) {
        return Error("ERROR: Invalid option \"" + arg + "\" for " + verb + ".");
      }
    }
    if (rule == nullptr) {
      positional_.push_back(arg);
      continue;
    }
    if (options_seen_.count(rule->name)) {
      return Error("ERROR: Invalid syntax: /" + std::string(rule->name) + " given twice.");
    }
    std::string value;
    if (rule->takes_value) {
      if (i + 1 >= args.size()) {
        return Error("ERROR: Invalid syntax: /" + std::string(rule->name) + " needs a value.");
      }
      value = args[++i];
    }
    options_seen_[rule->name] = value;
  }
  if (verb != "export" && !positional_.empty()) {
    return Error("ERROR: Invalid syntax: unexpected \"" + positional_[0] + "\".");
  }
  if (Has("v") + Has("ve") + Has("va") > 1) {
    return Error("ERROR: Invalid syntax: /v, /ve and /va exclude each other.");
  }

  if (verb == "query") return Query(key);
  if (verb == "add") return Add(key);
  if (verb == "delete") return Delete(key);
  return Export(key);
}

Status RegRunner::PrintKey(const Key& key, bool recurse) {
  std::vector<StoreValue> values;
  std::vector<std::string> subkeys;
  Status status = store_->ListValues(key.path, &values);
  if (status == kOk) status = store_->ListSubkeys(key.path, &subkeys);
  if (status != kOk) return status;
  out_ << '\n' << key.display << '\n';
  for (const StoreValue& v : values) out_ << QueryLine(v) << '\n';
  if (recurse) {
    for (const std::string& sub : subkeys) {
      status = PrintKey(key.Child(sub), true);
      if (status != kOk) return status;
    }
  } else if (!subkeys.empty()) {
    out_ << '\n';
    for (const std::string& sub : subkeys) out_ << key.Child(sub).display << '\n';
  }
  return kOk;
}

Status RegRunner::FindValueInTree(const Key& key, const std::string& name, int* matches) {
  std::vector<StoreValue> values;
  std::vector<std::string> subkeys;
  Status status = store_->ListValues(key.path, &values);
  if (status == kOk) status = store_->ListSubkeys(key.path, &subkeys);
  if (status != kOk) return status;
  for (const StoreValue& v : values) {
    if (!EqualsNoCase(v.name, name)) continue;
    out_ << '\n' << key.display << '\n' << QueryLine(v) << '\n';
    ++*matches;
  }
  for (const std::string& sub : subkeys) {
    status = FindValueInTree(key.Child(sub), name, matches);
    if (status != kOk) return status;
  }
  return kOk;
}

int RegRunner::Query(const Key& key) {
  if (!Has("v") && !Has("ve")) {
    Status status = PrintKey(key, Has("s"));
    return status == kOk ? 0 : StoreError(status, false);
  }
  const std::string name = Value("v");
  if (Has("s")) {
    int matches = 0;
    Status status = FindValueInTree(key, name, &matches);
    if (status != kOk) return StoreError(status, false);
    if (matches == 0) return Error(kNotFound);
    out_ << "\nEnd of search: " << matches << " match(es) found.\n";
    return 0;
  }
  StoreValue v;
  v.name = name;
  Status status = store_->GetValue(key.path, name, &v.type, &v.data);
  if (status != kOk) return StoreError(status, false);
  out_ << '\n' << key.display << '\n' << QueryLine(v) << "\n\n";
  return 0;
}

bool RegRunner::EncodeData(ValueType type, std::string* data) {
  const std::string text = Value("d");
  const std::string type_name = NameOfType(type);
  auto invalid = [&](const std::string& why) {
    Error("ERROR: Invalid data \"" + text + "\" for " + type_name + ": " + why);
    return false;
  };
  switch (type) {
    case ValueType::kDword:
    case ValueType::kQword: {
      const size_t size = NumberSize(type);
      const uint64_t max = size == 8 ? UINT64_MAX : UINT32_MAX;
      uint64_t value = 0;
      if (Has("d")) {
        const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
        const char* first = text.data() + (hex ? 2 : 0);
        const char* last = text.data() + text.size();
        // from_chars takes no sign and no prefix, and reports a number too large for 64 bits.
        const auto [end, error] = std::from_chars(first, last, value, hex ? 16 : 10);
        if (first == last || end != last || error != std::errc() || value > max) {
          return invalid("give a number from 0 to " + std::to_string(max) + ", decimal or 0x hex.");
        }
      }
      data->clear();
      // Little-endian, as the registry stores numbers whatever the machine.
      for (size_t i = 0; i < size; ++i) data->push_back(static_cast<char>(value >> (8 * i)));
      return true;
    }
    case ValueType::kSz:
    case ValueType::kExpandSz:
      *data = text;
      data->push_back('\0');
      return true;
    case ValueType::kMultiSz: {
      const std::string separator = Has("s") ? Value("s") : "\\0";
      if (separator.empty()) return invalid("the separator given with /s is empty.");
      data->clear();
      if (!text.empty()) {
        std::vector<std::string> parts;
        for (size_t start = 0;;) {
          size_t at = text.find(separator, start);
          parts.push_back(text.substr(start, at == std::string::npos ? at : at - start));
          if (at == std::string::npos) break;
          start = at + separator.size();
        }
        // One separator at the very end is allowed; an empty string inside would end the
        // list early and silently drop the strings after it.
        if (parts.size() > 1 && parts.back().empty()) parts.pop_back();
        for (const std::string& part : parts) {
          if (part.empty()) return invalid("the list holds an empty string.");
          *data += part;
          data->push_back('\0');
        }
      }
      data->push_back('\0');
      return true;
    }
    default: {
      if (text.size() % 2 != 0 ||
          text.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos) {
        return invalid("give an even number of hex digits.");
      }
      data->clear();
      for (size_t i = 0; i < text.size(); i += 2) {
        data->push_back(static_cast<char>(std::stoi(text.substr(i, 2), nullptr, 16)));
      }
      return true;
    }
  }
}

int RegRunner::Add(const Key& key) {
  if (key.path.empty()) {
    return Error("ERROR: Invalid key name: name a key below HKEY_LOCAL_MACHINE.");
  }
  ValueType type = ValueType::kSz;
  if (Has("t")) {
    std::optional<ValueType> parsed = TypeFromName(Value("t"));
    if (!parsed) {
      return Error("ERROR: Invalid type \"" + Value("t") +
                   "\": use REG_SZ, REG_EXPAND_SZ, REG_MULTI_SZ, REG_DWORD, REG_QWORD or "
                   "REG_BINARY.");
    }
    type = *parsed;
  }
  if (Has("s") && type != ValueType::kMultiSz) {
    return Error("ERROR: Invalid syntax: /s is the separator of REG_MULTI_SZ data only.");
  }
  // As with reg, /t or /d alone address the default value.
  const bool sets_value = Has("v") || Has("ve") || Has("t") || Has("d");
  if (!sets_value) {
    Status status = store_->CreateKey(key.path);
    if (status != kOk) return StoreError(status, true);
    out_ << kDone << '\n';
    return 0;
  }
  std::string data;
  if (!EncodeData(type, &data)) return 1;
  const std::string name = Value("v");

  if (!Has("f")) {
    ValueType old_type;
    std::string old_data;
    Status status = store_->GetValue(key.path, name, &old_type, &old_data);
    if (status == kOk) {
      // Without a terminal there is nobody to ask: the command line states the value to
      // store, so it is stored.
      Answer answer = Ask("Value " + (name.empty() ? std::string("(Default)") : name) +
                          " exists, overwrite(Yes/No)? ");
      if (answer == Answer::kNo) return Error("ERROR: The operation was cancelled by the user.");
    } else if (status != kErrorNotFound) {
      return StoreError(status, false);
    }
  }
  Status status = store_->SetValue(key.path, name, type, data);
  if (status != kOk) return StoreError(status, true);
  out_ << kDone << '\n';
  return 0;
}

int RegRunner::Delete(const Key& key) {
  if (key.path.empty()) return Error("ERROR: The root key HKEY_LOCAL_MACHINE cannot be deleted.");
  const bool one_value = Has("v") || Has("ve");
  const std::string name = Value("v");
  Status status;
  std::string question;
  if (one_value) {
    ValueType type;
    std::string data;
    status = store_->GetValue(key.path, name, &type, &data);
    question = "Delete the registry value " + (name.empty() ? std::string("(Default)") : name) +
               " (Yes/No)? ";
  } else {
    status = store_->KeyExists(key.path);
    question = Has("va") ? "Delete all values under the registry key " + key.display + " (Yes/No)? "
                         : "Permanently delete the registry key " + key.display + " (Yes/No)? ";
  }
  if (status != kOk) return StoreError(status, false);

  if (!Has("f")) {
    // Deleting cannot be undone: without a terminal to confirm, only /f makes it happen.
    switch (Ask(question)) {
      case Answer::kYes:
        break;
      case Answer::kNo:
        return Error("ERROR: The operation was cancelled by the user.");
      case Answer::kNoTerminal:
        return Error("ERROR: Deleting needs /f when no terminal is attached to confirm it.");
    }
  }

  if (one_value) {
    status = store_->DeleteValue(key.path, name);
  } else if (Has("va")) {
    std::vector<StoreValue> values;
    status = store_->ListValues(key.path, &values);
    if (status != kOk) return StoreError(status, false);
    for (const StoreValue& v : values) {
      status = store_->DeleteValue(key.path, v.name);
      if (status != kOk && status != kErrorNotFound) break;
      status = kOk;
    }
  } else {
    status = store_->DeleteKeyTree(key.path);
  }
  if (status != kOk) return StoreError(status, true);
  out_ << kDone << '\n';
  return 0;
}

Status RegRunner::ExportTree(const Key& key, std::string* text) {
  std::vector<StoreValue> values;
  std::vector<std::string> subkeys;
  Status status = store_->ListValues(key.path, &values);
  if (status == kOk) status = store_->ListSubkeys(key.path, &subkeys);
  if (status != kOk) return status;
  *text += "[" + key.display + "]\n";
  for (const StoreValue& v : values) *text += ExportLine(v) + "\n";
  *text += "\n";
  for (const std::string& sub : subkeys) {
    status = ExportTree(key.Child(sub), text);
    if (status != kOk) return status;
  }
  return kOk;
}

int RegRunner::Export(const Key& key) {
  if (positional_.size() != 1) {
    return Error("ERROR: Invalid syntax: export needs exactly one file name after the key.");
  }
  const std::string& file = positional_[0];
  std::string text = "Windows Registry Editor Version 5.00\n\n";
  Status status = ExportTree(key, &text);
  if (status != kOk) return StoreError(status, false);

  if (file == "-") {
    out_ << text;
    return 0;
  }
  std::error_code ec;
  if (std::filesystem::exists(file, ec) && !Has("y")) {
    switch (Ask("File " + file + " already exists. Overwrite (Yes/No)? ")) {
      case Answer::kYes:
        break;
      case Answer::kNo:
        return Error("ERROR: The operation was cancelled by the user.");
      case Answer::kNoTerminal:
        return Error("ERROR: The file " + file + " already exists; add /y to overwrite it.");
    }
  }
  std::ofstream stream(file, std::ios::binary | std::ios::trunc);
  if (stream) stream << text;
  if (stream) stream.close();
  if (!stream) {
    const int error = errno;
    return Error("ERROR: Cannot write the file " + file + ": " +
                 (error ? std::strerror(error) : "write failed") + ".");
  }
  out_ << kDone << '\n';
  return 0;
}

}  // namespace

int RunRegCommand(Store* store, const std::vector<std::string>& args, std::ostream& out,
                  std::ostream& err, const RegOptions& options) {
  return RegRunner(store, out, err, options).Run(args);
}

}  // namespace quillon
