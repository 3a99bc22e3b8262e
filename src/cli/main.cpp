// velmora-cli: the headless front end over the same core as the desktop program.
#include <iostream>
#include <string_view>

namespace {

constexpr std::string_view kUsage =
    "usage: velmora-cli <command> [options]\n"
    "\n"
    "commands:\n"
    "  calc [--json] [--runners N] FILE   compute a race typed as tab-separated rows\n"
    "  load [--json] PATH                 load a win/place odds file and compute\n"
    "  result [--json] PATH               load, compute and show the race result\n"
    "  sample [--json] K                  compute test-data race K (1-3)\n"
    "  list [--json] [FOLDER]             list the races of a PAT folder\n";

} // namespace

int main(int argc, char** argv) {
    if (argc >= 2 && (std::string_view(argv[1]) == "--help" || std::string_view(argv[1]) == "-h")) {
        std::cout << kUsage;
        return 0;
    }
    std::cerr << kUsage;
    return 2;
}
