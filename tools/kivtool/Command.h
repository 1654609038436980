#pragma once

#include <string>
#include <vector>

namespace kivtool {

using Args = std::vector<std::string>;

// A kivtool subcommand: "kivtool NAME ARGS...". Each command file registers
// itself with a static Registration object.
struct Command {
    std::string name;
    std::string usage;
    int (*run)(const Args& args);
};

std::vector<Command>& commands();

struct Registration {
    explicit Registration(Command command) { commands().push_back(std::move(command)); }
};

// Small helpers shared by the command files.
bool takeOption(Args& args, const std::string& name, std::string& value);
bool takeFlag(Args& args, const std::string& name);

} // namespace kivtool
