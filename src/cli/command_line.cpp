#include "cli/command_line.h"

#include <QCommandLineParser>
#include <QStringList>

#include <algorithm>

namespace velmora::cli {
namespace {

// Arguments are bytes, file names among them that need not be UTF-8: each byte
// becomes one character and back, so that none is lost on the way.
QString Chars(std::string_view bytes) {
    return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

std::string Bytes(const QString& chars) {
    return chars.toLatin1().toStdString();
}

ParsedCommand Refused(std::string error) {
    ParsedCommand parsed;
    parsed.error = std::move(error);
    return parsed;
}

std::string ExclusiveText(const std::vector<std::string_view>& names) {
    std::string text;
    for (std::size_t i = 0; i < names.size(); ++i) {
        text += (i == 0 ? "--" : (i + 1 == names.size() ? " and --" : ", --")) + std::string(names[i]);
    }
    return text + " exclude each other";
}

} // namespace

bool ParsedCommand::Has(std::string_view flag) const {
    return std::find(flags.begin(), flags.end(), flag) != flags.end();
}

ParsedCommand ParseCommand(const CommandSpec& spec, const std::vector<std::string>& args) {
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    parser.addOption(help);
    for (const OptionSpec& option : spec.options) {
        parser.addOption(QCommandLineOption(Chars(option.name), QString(), Chars(option.valueName)));
    }
    QStringList arguments{Chars(spec.name)};
    for (const std::string& arg : args) {
        arguments.append(Chars(arg));
    }
    // Asked for, the usage is shown whatever else the line holds.
    const bool parsedWell = parser.parse(arguments);
    if (parser.isSet(help)) {
        ParsedCommand parsed;
        parsed.help = true;
        return parsed;
    }
    if (!parsedWell) {
        return Refused(Bytes(parser.errorText()));
    }
    ParsedCommand parsed;
    std::vector<std::string_view> exclusiveGiven;
    for (const OptionSpec& option : spec.options) {
        const QStringList values = parser.values(Chars(option.name));
        if (option.valueName.empty()) {
            if (parser.isSet(Chars(option.name))) {
                parsed.flags.emplace_back(option.name);
            }
        } else if (values.size() > 1) {
            return Refused("--" + std::string(option.name) + " given twice");
        } else if (values.size() == 1) {
            parsed.values.emplace(std::string(option.name), Bytes(values.front()));
        }
    }
    for (std::string_view name : spec.exclusive) {
        if (parsed.Has(name)) {
            exclusiveGiven.push_back(name);
        }
    }
    if (exclusiveGiven.size() > 1) {
        return Refused(ExclusiveText(spec.exclusive));
    }
    const QStringList operands = parser.positionalArguments();
    if (operands.size() > 1) {
        return Refused("too many operands for " + std::string(spec.name));
    }
    if (operands.isEmpty() && spec.operandRequired) {
        return Refused(std::string(spec.name) + " needs " + std::string(spec.operandName));
    }
    if (!operands.isEmpty()) {
        parsed.operand = Bytes(operands.front());
    }
    return parsed;
}

std::string CommandUsage(const CommandSpec& spec) {
    return "usage: velmora-cli " + std::string(spec.synopsis) + "\n" + std::string(spec.summary) + "\n";
}

} // namespace velmora::cli
