#include "support/TestMain.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>

namespace {

std::map<std::string, TestMain::Runner> &registry()
{
    // Built on first use: the classes register from static initialisers in
    // other files, whose order is unspecified.
    static std::map<std::string, TestMain::Runner> runners;
    return runners;
}

void printClasses(FILE *out)
{
    for (const auto &[name, runner] : registry())
        std::fprintf(out, "%s\n", name.c_str());
}

} // namespace

bool TestMain::add(const char *className, Runner runner)
{
    if (!registry().emplace(className, runner).second) {
        std::fprintf(stderr, "test class %s registered twice\n", className);
        std::abort();
    }
    return true;
}

int main(int argc, char **argv)
{
    const auto &runners = registry();
    if (argc > 1 && std::strcmp(argv[1], "--list-classes") == 0) {
        printClasses(stdout);
        return 0;
    }
    if (argc > 1) {
        const auto found = runners.find(argv[1]);
        if (found != runners.end()) {
            // The class name is ours, not QTest's: drop it, keep the program name.
            argv[1] = argv[0];
            return found->second(argc - 1, argv + 1);
        }
    }
    // One class needs no name, so such an executable takes QTest's arguments as they are.
    if (runners.size() == 1)
        return runners.begin()->second(argc, argv);

    // Running nothing must not look like passing.
    if (argc > 1 && argv[1][0] != '-')
        std::fprintf(stderr, "no test class named %s\n", argv[1]);
    std::fprintf(stderr, "usage: %s <TestClass> [QTest options]\nclasses:\n", argv[0]);
    printClasses(stderr);
    return 2;
}
