// Parser of the machine description files (see machine_file.h for the format).
#include "platform/sim/machine_file.h"

#include <cerrno>
#include <cstdlib>
#include <sstream>

namespace sim {
namespace {

struct Statement {
    std::string keyword;
    std::string rest;  // everything after the keyword and its blanks
};

Statement SplitStatement(const std::string& line) {
    std::size_t start = line.find_first_not_of(" \t");
    std::size_t end = line.find_first_of(" \t", start);
    Statement statement;
    statement.keyword = line.substr(start, end - start);
    if (end != std::string::npos) {
        std::size_t restStart = line.find_first_not_of(" \t", end);
        if (restStart != std::string::npos) statement.rest = line.substr(restStart);
    }
    return statement;
}

// UTF-8 to the program's single-byte text; false for a character outside Latin-1.
bool ToLatin1(const std::string& utf8, std::string& text) {
    text.clear();
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        unsigned char lead = static_cast<unsigned char>(utf8[i]);
        if (lead < 0x80) {
            text += static_cast<char>(lead);
            continue;
        }
        if ((lead & 0xFE) != 0xC2 || i + 1 >= utf8.size()) return false;
        unsigned char trail = static_cast<unsigned char>(utf8[++i]);
        if ((trail & 0xC0) != 0x80) return false;
        text += static_cast<char>(((lead & 0x03) << 6) | (trail & 0x3F));
    }
    return true;
}

bool ToNumber(const std::string& word, DWORD& number) {
    if (word.empty()) return false;
    char* end = nullptr;
    errno = 0;
    unsigned long value = std::strtoul(word.c_str(), &end, 0);
    if (errno != 0 || *end != '\0' || value > 0xFFFFFFFFul) return false;
    number = static_cast<DWORD>(value);
    return true;
}

std::vector<std::string> Words(const std::string& text) {
    std::istringstream stream(text);
    std::vector<std::string> words;
    for (std::string word; stream >> word;) words.push_back(word);
    return words;
}

class Parser {
public:
    explicit Parser(MachineFile& machineFile) : file_(machineFile) {}

    // Applies one statement; an empty result means success, otherwise it says what is wrong.
    std::string Apply(const Statement& statement) {
        const std::string& keyword = statement.keyword;
        if (keyword == "device") return OpenDevice(statement.rest);
        if (keyword == "key") return OpenKey(statement.rest);
        if (keyword == "fail") return AddFault(statement.rest);
        if (keyword == "string") return AddString(statement.rest);
        return ApplyToDevice(statement);
    }

    // Turns the collected hardware-id entries into the property's bytes.
    void Finish() {
        for (std::size_t i = 0; i < file_.devices.size(); ++i) {
            if (!hardwareIds_[i].empty()) file_.devices[i].hardwareIds = MultiSz(hardwareIds_[i]);
        }
    }

private:
    std::string OpenDevice(const std::string& instanceId) {
        if (instanceId.empty()) return "a device needs an instance id";
        Device device;
        if (!ToLatin1(instanceId, device.instanceId)) return "text outside Latin-1";
        file_.devices.push_back(device);
        hardwareIds_.emplace_back();
        inKey_ = false;
        return "";
    }

    std::string OpenKey(const std::string& path) {
        if (path.empty()) return "a key needs a path";
        if (!ToLatin1(path, keyPath_)) return "text outside Latin-1";
        inKey_ = true;
        return "";
    }

    std::string AddFault(const std::string& rest) {
        std::vector<std::string> words = Words(rest);
        Fault fault;
        DWORD nth = 0;
        if (words.size() < 3 || !ToNumber(words[1], nth) || !ToNumber(words[2], fault.error)) {
            return "expected: fail <function> <nth> <error> [detail]";
        }
        fault.function = words[0];
        fault.nth = static_cast<int>(nth);
        for (std::size_t i = 3; i < words.size(); ++i) {
            fault.detailContains += (i > 3 ? " " : "") + words[i];
        }
        file_.faults.push_back(fault);
        return "";
    }

    std::string AddString(const std::string& rest) {
        if (!inKey_) return "'string' outside a key";
        if (rest.empty()) return "expected: string <name> <text>";
        Statement value = SplitStatement(rest);
        RegistryString entry{keyPath_, value.keyword, ""};
        if (!ToLatin1(value.rest, entry.text)) return "text outside Latin-1";
        file_.registry.push_back(entry);
        return "";
    }

    std::string ApplyToDevice(const Statement& statement) {
        if (file_.devices.empty() || inKey_) return "'" + statement.keyword + "' outside a device";
        Device& device = file_.devices.back();
        const std::string& keyword = statement.keyword;
        if (keyword == "absent") return NoArgument(statement, [&] { device.present = false; });
        if (keyword == "refuse-removal") {
            return NoArgument(statement, [&] { device.refuseRemoval = true; });
        }
        if (keyword == "hardware-id") return Text(statement, hardwareIds_.back().emplace_back());
        if (keyword == "manufacturer") return Text(statement, device.manufacturer.emplace());
        if (keyword == "driver-key") return Text(statement, device.driverKey.emplace());
        if (keyword == "status") return Number(statement, device.status);
        if (keyword == "status-fails") return Number(statement, device.statusResult);
        if (keyword == "instance-id-fails") return Number(statement, device.instanceIdError);
        if (keyword == "hardware-id-query-fails") {
            return Number(statement, device.hardwareIdQueryErrors.emplace_back());
        }
        return "unknown keyword '" + keyword + "'";
    }

    template <typename Set>
    static std::string NoArgument(const Statement& statement, Set set) {
        if (!statement.rest.empty()) return "'" + statement.keyword + "' takes nothing";
        set();
        return "";
    }

    static std::string Text(const Statement& statement, std::string& text) {
        if (statement.rest.empty()) return "'" + statement.keyword + "' needs a text";
        if (!ToLatin1(statement.rest, text)) return "text outside Latin-1";
        return "";
    }

    static std::string Number(const Statement& statement, DWORD& number) {
        if (!ToNumber(statement.rest, number)) return "'" + statement.keyword + "' needs a number";
        return "";
    }

    MachineFile& file_;
    std::vector<std::vector<std::string>> hardwareIds_;  // per device, in order
    std::string keyPath_;
    bool inKey_ = false;
};

}  // namespace

bool ParseMachineFile(const std::string& text, MachineFile& machineFile, std::string& error) {
    machineFile = MachineFile();
    Parser parser(machineFile);
    std::istringstream lines(text);
    int number = 0;
    for (std::string line; std::getline(lines, line);) {
        ++number;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::size_t start = line.find_first_not_of(" \t");
        if (start == std::string::npos || line[start] == '#') continue;
        std::string problem = parser.Apply(SplitStatement(line));
        if (!problem.empty()) {
            error = "line " + std::to_string(number) + ": " + problem;
            return false;
        }
    }
    parser.Finish();
    return true;
}

}  // namespace sim
