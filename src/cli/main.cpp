// velmora-cli: the headless front end over the same core as the desktop program.
#include "cli/commands.h"
#include "common/text.h"
#include "history/history_on_demand.h"
#include "qtsettings/qsettings_store.h"
#include "settings/settings_ops.h"

#include <exception>
#include <iostream>
#include <string_view>
#include <vector>

int main(int argc, char** argv) {
    if (argc == 2 && std::string_view(argv[1]) == "--version") {
        std::cout << "velmora-cli " VELMORA_VERSION "\n";
        return velmora::cli::kExitDone;
    }
    try {
        velmora::LoadRemarks();
        velmora::QSettingsStore settings;
        settings.OnProblem([](const std::string& problem) {
            std::cerr << "velmora-cli: " << velmora::VisibleLines(problem) << "\n";
        });
        velmora::StandardRandomSource random;
        velmora::SystemClock clock;
        const auto say = [](const std::string& text) {
            std::cerr << "velmora-cli: " << velmora::VisibleLines(text) << "\n";
        };
        velmora::HistoryOnDemand recorder(
            velmora::DefaultHistoryPath(),
            [&settings] { return std::vector<std::string>{velmora::GetPatFolder(settings)}; }, say, say);
        velmora::cli::CliContext context{
            settings, velmora::GetRemarks(), random, clock, std::cin, std::cout, std::cerr, recorder};
        return velmora::cli::RunCli({argv + 1, argv + argc}, context);
    } catch (const std::exception& error) {
        std::cerr << "velmora-cli: " << error.what() << "\n";
        return velmora::cli::kExitMessage;
    }
}
