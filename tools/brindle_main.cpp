// brindle: the project's command-line front end.
#include <cstdio>
#include <cstring>

int main(int argc, char** argv)
{
    if (argc < 2 || !std::strcmp(argv[1], "--help") || !std::strcmp(argv[1], "-h")) {
        std::puts("usage: brindle <command> [options]\n\n"
                  "commands:\n"
                  "  demo    render a built-in riff dry and through the fuzz");
        return argc < 2 ? 1 : 0;
    }
    if (!std::strcmp(argv[1], "demo")) {
        std::puts("brindle demo: will synthesize a plucked-string riff and write out/demo/brindle-dry.wav "
                  "and out/demo/brindle-fuzz.wav once the effect is built.");
        return 0;
    }
    std::fprintf(stderr, "brindle: unknown command '%s' (try --help)\n", argv[1]);
    return 2;
}
