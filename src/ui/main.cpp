// velmora: the desktop program.
#include "ui/desktop_program.h"
#include "ui/startup.h"

#include <QStringList>

#include <iostream>
#include <optional>
#include <string_view>

int main(int argc, char** argv) {
    // Answered before Qt starts, so that they work without a display.
    if (argc == 2 && std::string_view(argv[1]) == "--version") {
        std::cout << "velmora " VELMORA_VERSION "\n";
        return 0;
    }
    QStringList arguments;
    for (int i = 0; i < argc; ++i) {
        arguments.append(QString::fromLocal8Bit(argv[i]));
    }
    if (std::optional<QString> help = velmora::HelpText(arguments)) {
        std::cout << help->toStdString();
        return 0;
    }
    return velmora::RunDesktop(argc, argv,
                               {QStringLiteral(VELMORA_VERSION), velmora::AcceptsDesktopArguments, {}});
}
