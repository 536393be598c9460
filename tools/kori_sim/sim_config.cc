#include "tools/kori_sim/sim_config.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>

namespace quillon {
namespace {

bool ParseNumber(const std::string& text, long long min, long long max, long long* out) {
  if (text.empty()) return false;
  errno = 0;
  char* end = nullptr;
  long long v = std::strtoll(text.c_str(), &end, 0);
  if (errno != 0 || end == text.c_str() || *end != '\0' || v < min || v > max) return false;
  *out = v;
  return true;
}

bool ParseHexBytes(const std::string& text, std::vector<uint8_t>* out) {
  if (text.size() % 2 != 0) return false;
  out->clear();
  for (size_t i = 0; i < text.size(); i += 2) {
    long long v = 0;
    if (!ParseNumber("0x" + text.substr(i, 2), 0, 255, &v)) return false;
    out->push_back(static_cast<uint8_t>(v));
  }
  return true;
}

// "CMD" or "all" → the rule to change.
SimCommandRule* RuleFor(const std::string& cmd, SimConfig* config) {
  if (cmd == "all") {
    if (!config->all_rule) config->all_rule.emplace();
    return &*config->all_rule;
  }
  long long v = 0;
  if (!ParseNumber(cmd, 0, 0xFFFF, &v)) return nullptr;
  return &config->rules[static_cast<uint16_t>(v)];
}

}  // namespace

const char* SimUsage() {
  static const std::string text =
      std::string(
          "usage: quillon-kori-sim [option...]\n"
          "Offers the KORI management interface on the system bus (DBUS_SYSTEM_BUS_ADDRESS\n"
          "when set): name com.morvath.Kori, object /com/morvath/Kori, interface\n"
          "com.morvath.Kori, method VCRequest (nnnnayn -> ayay), property\n"
          "ServerCabinetNumber (n).\n"
          "Prints READY on standard output (and tells systemd READY=1) once it owns the name.\n") +
      SimOptionsUsage() +
      "  --address=ADDRESS     use this bus address instead of the system bus\n"
      "  --help                show this text\n"
      "SIGTERM or SIGINT releases the name and ends the simulator.\n";
  return text.c_str();
}

const char* SimOptionsUsage() {
  return "Answers:\n"
         "  --cabinet=N           cabinet number: the property and the 0xE204 answer (default 1)\n"
         "  --model=TEXT          cabinet model, answer to 0x0C00/0x0608 (default QX-CABINET-1)\n"
         "  --seconds=N           operating seconds, answer to 0xE001/0x1010 (default 36000)\n"
         "  --psu=N               PSU status byte, answer to 0x0500 (default 1)\n"
         "  --default-timeout=MS  the DefaultTimeout property in milliseconds (default 30000)\n"
         "  Other commands answer status 1 with no data. 0xE000 answers status 0, no data.\n"
         "Faults (CMD is a command number such as 0xE001, or 'all'; options repeat):\n"
         "  --status=CMD:N        answer CMD with status byte N\n"
         "  --no-status=CMD       answer CMD without setting a status (empty status bytes)\n"
         "  --answer=CMD:HEX      answer CMD with these bytes (hex; empty for no data), e.g.\n"
         "                        --answer=0xE204:010203 for a 3-byte cabinet number\n"
         "  --delay=CMD:MS        answer CMD after MS milliseconds\n"
         "  --hang=CMD            never answer CMD\n"
         "  --vanish=CMD          leave the bus in the middle of CMD, without answering\n"
         "  --bad-reply=CMD       answer CMD with signature ay instead of ayay\n"
         "  --property=KIND       ServerCabinetNumber as n (default), s or u, or 'missing'\n"
         "  --no-vcrequest        offer no VCRequest method\n"
         "Other:\n"
         "  --log=FILE            append one line per call received to FILE\n";
}

bool ParseSimArgs(const std::vector<std::string>& args, SimConfig* config, bool* help,
                  std::string* error) {
  *help = false;
  for (const std::string& arg : args) {
    size_t eq = arg.find('=');
    std::string key = arg.substr(0, eq);
    std::string value = eq == std::string::npos ? "" : arg.substr(eq + 1);
    bool has_value = eq != std::string::npos;
    long long n = 0;
    // CMD:VALUE options.
    std::string cmd = value.substr(0, value.find(':'));
    std::string rest =
        value.find(':') == std::string::npos ? "" : value.substr(value.find(':') + 1);
    bool has_rest = value.find(':') != std::string::npos;
    if (key == "--help") {
      *help = true;
    } else if (key == "--cabinet" && ParseNumber(value, -32768, 32767, &n)) {
      config->cabinet = static_cast<int16_t>(n);
    } else if (key == "--model" && has_value) {
      config->model = value;
    } else if (key == "--seconds" && ParseNumber(value, 0, 0xFFFFFFFFLL, &n)) {
      config->seconds = static_cast<uint32_t>(n);
    } else if (key == "--psu" && ParseNumber(value, 0, 255, &n)) {
      config->psu = static_cast<uint8_t>(n);
    } else if (key == "--default-timeout" && ParseNumber(value, 0, 0xFFFFFFFFLL, &n)) {
      config->default_timeout_ms = static_cast<uint32_t>(n);
    } else if (key == "--property" && has_value) {
      if (value == "n") {
        config->property = SimProperty::kInt16;
      } else if (value == "missing") {
        config->property = SimProperty::kMissing;
      } else if (value == "s") {
        config->property = SimProperty::kString;
      } else if (value == "u") {
        config->property = SimProperty::kUint32;
      } else {
        *error = "bad --property: " + value;
        return false;
      }
    } else if (key == "--no-vcrequest" && !has_value) {
      config->no_vcrequest = true;
    } else if (key == "--log" && has_value) {
      config->log_path = value;
    } else if (key == "--address" && has_value) {
      config->address = value;
    } else if ((key == "--status" || key == "--delay" || key == "--answer") && has_rest) {
      SimCommandRule* rule = RuleFor(cmd, config);
      if (rule == nullptr) {
        *error = "bad command in " + arg;
        return false;
      }
      if (key == "--status" && ParseNumber(rest, 0, 255, &n)) {
        rule->status = static_cast<uint8_t>(n);
      } else if (key == "--delay" && ParseNumber(rest, 0, 3600000, &n)) {
        rule->delay_ms = static_cast<uint32_t>(n);
      } else if (key == "--answer") {
        std::vector<uint8_t> bytes;
        if (!ParseHexBytes(rest, &bytes)) {
          *error = "bad hex bytes in " + arg;
          return false;
        }
        rule->answer = bytes;
      } else {
        *error = "bad value in " + arg;
        return false;
      }
    } else if ((key == "--no-status" || key == "--hang" || key == "--vanish" ||
                key == "--bad-reply") &&
               has_value) {
      SimCommandRule* rule = RuleFor(value, config);
      if (rule == nullptr) {
        *error = "bad command in " + arg;
        return false;
      }
      if (key == "--no-status") rule->no_status = true;
      if (key == "--hang") rule->hang = true;
      if (key == "--vanish") rule->vanish = true;
      if (key == "--bad-reply") rule->bad_reply = true;
    } else {
      *error = "unknown option or bad value: " + arg;
      return false;
    }
  }
  return true;
}

SimAnswer AnswerFor(const SimConfig& config, uint16_t command) {
  SimAnswer answer;
  uint8_t status = 0;
  auto little_endian = [&answer](uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i)
      answer.response.push_back(static_cast<uint8_t>(value >> (8 * i)));
  };
  switch (command) {
    case 0xE204:
      little_endian(static_cast<uint16_t>(config.cabinet), 2);
      break;
    case 0x0C00:
      answer.response.assign(config.model.begin(), config.model.end());
      break;
    case 0xE000:
      break;
    case 0xE001:
      little_endian(config.seconds, 4);
      break;
    case 0x0500:
      answer.response = {config.psu};
      break;
    default:
      status = 1;
      break;
  }
  answer.status = {status};
  const SimCommandRule* rule = FindRule(config, command);
  if (rule == nullptr) return answer;
  if (rule->answer) answer.response = *rule->answer;
  if (rule->status) answer.status = {*rule->status};
  if (rule->no_status) answer.status.clear();
  answer.delay_ms = rule->delay_ms;
  answer.hang = rule->hang;
  answer.vanish = rule->vanish;
  answer.bad_reply = rule->bad_reply;
  return answer;
}

std::string SimCallLine(uint16_t command, uint16_t sub_code, uint16_t third_code, int16_t cabinet,
                        size_t input_size, int16_t last_code) {
  char line[160];
  std::snprintf(line, sizeof(line),
                "VCRequest command=0x%04X sub=0x%04X third=0x%04X cabinet=%d input=%zu last=%d",
                command, sub_code, third_code, cabinet, input_size, last_code);
  return line;
}

const SimCommandRule* FindRule(const SimConfig& config, uint16_t command) {
  auto it = config.rules.find(command);
  if (it != config.rules.end()) return &it->second;
  if (config.all_rule) return &*config.all_rule;
  return nullptr;
}

}  // namespace quillon
