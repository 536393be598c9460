#ifndef QUILLON_TOOLS_KORI_SIM_SIM_CONFIG_H_
#define QUILLON_TOOLS_KORI_SIM_SIM_CONFIG_H_

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace quillon {

// How the simulator treats one command.
struct SimCommandRule {
  std::optional<uint8_t> status;               // --status: the status byte (default 0)
  bool no_status = false;                      // --no-status: leave the status unset
  std::optional<std::vector<uint8_t>> answer;  // --answer: these answer bytes
  uint32_t delay_ms = 0;                       // --delay: answer late
  bool hang = false;                           // --hang: never answer
  bool vanish = false;                         // --vanish: leave the bus instead of answering
  bool bad_reply = false;                      // --bad-reply: answer with signature "ay"
};

// Type of the property ServerCabinetNumber as the simulator offers it.
enum class SimProperty { kInt16, kMissing, kString, kUint32 };

// The whole configuration of one simulator run (see Usage()).
struct SimConfig {
  int16_t cabinet = 1;
  std::string model = "QX-CABINET-1";
  uint32_t seconds = 36000;
  uint8_t psu = 1;
  uint32_t default_timeout_ms = 30000;  // the DefaultTimeout property
  SimProperty property = SimProperty::kInt16;
  bool no_vcrequest = false;
  std::map<uint16_t, SimCommandRule> rules;  // by command
  std::optional<SimCommandRule> all_rule;    // for commands without a rule of their own
  std::string log_path;                      // empty: no call log
  std::string address;                       // empty: the system bus
};

// What the simulator does with one VCRequest call of a command: its built-in answer with the
// command's rule applied.
struct SimAnswer {
  std::vector<uint8_t> response;
  std::vector<uint8_t> status;  // empty: the status is left unset
  uint32_t delay_ms = 0;        // answer after this long
  bool hang = false;            // never answer
  bool vanish = false;          // leave without answering
  bool bad_reply = false;       // answer in a shape the client does not expect
};

// The command-line help text of the D-Bus simulator.
const char* SimUsage();

// The options both simulators share (answers, faults, the call log), as help text.
const char* SimOptionsUsage();

// The answer to command `command` under `config`.
SimAnswer AnswerFor(const SimConfig& config, uint16_t command);

// The call log's line for one VCRequest call.
std::string SimCallLine(uint16_t command, uint16_t sub_code, uint16_t third_code, int16_t cabinet,
                        size_t input_size, int16_t last_code);

// Parses the arguments after the program name. true on success; false with a message in
// *error for an unknown option or a bad value. `--help` sets *help.
bool ParseSimArgs(const std::vector<std::string>& args, SimConfig* config, bool* help,
                  std::string* error);

// The rule for a command: its own, else the one for all commands, else none (nullptr).
const SimCommandRule* FindRule(const SimConfig& config, uint16_t command);

}  // namespace quillon

#endif  // QUILLON_TOOLS_KORI_SIM_SIM_CONFIG_H_
