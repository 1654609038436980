// kivtool: the application core without windows.
#include "Command.h"

#include <algorithm>
#include <cstdio>

namespace {

void printUsage()
{
    std::fprintf(stderr, "usage: kivtool COMMAND [ARGS...]\n\ncommands:\n");
    auto table = kivtool::commands();
    std::sort(table.begin(), table.end(), [](const auto& a, const auto& b) { return a.name < b.name; });
    for (const auto& command : table)
        std::fprintf(stderr, "  %s\n", command.usage.c_str());
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        printUsage();
        return 2;
    }
    const std::string name = argv[1];
    for (const auto& command : kivtool::commands()) {
        if (command.name == name)
            return command.run(kivtool::Args(argv + 2, argv + argc));
    }
    std::fprintf(stderr, "kivtool: unknown command '%s'\n", name.c_str());
    printUsage();
    return 2;
}
