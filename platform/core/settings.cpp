// settings.cpp -- the settings' sources in layers (the file, the environment, the command line), --help and
// --version.
#include "settings.h"

#include "parse.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>

extern char** environ;

namespace plat {
namespace {

const SettingDefinition* FindByKey(const std::string& key) {
    for (const SettingDefinition& definition : SettingDefinitions()) {
        if (definition.key == key) {
            return &definition;
        }
    }
    return nullptr;
}

std::string Trimmed(const std::string& text) {
    const std::size_t first = text.find_first_not_of(" \t\r");
    const std::size_t last = text.find_last_not_of(" \t\r");
    return first == std::string::npos ? std::string() : text.substr(first, last - first + 1);
}

// Sets the setting `definition` describes from `value`, or notes an error naming `source` (where the value was
// written).
void Apply(const SettingDefinition& definition, const std::string& value, const std::string& source,
           StartSettings& start) {
    std::string why;
    if (!definition.parse(value, start.settings, &why)) {
        start.errors.push_back(source + ": " + why);
    }
}

// key = value lines; blank lines and ; or # comments skipped; an optional [tamberlyn] section.
void ReadFile(const std::string& fileName, StartSettings& start) {
    std::ifstream file(fileName);
    int number = 0;
    for (std::string line; std::getline(file, line);) {
        ++number;
        const std::string where = fileName + ":" + std::to_string(number);
        line = Trimmed(line);
        if (line.empty() || line[0] == ';' || line[0] == '#' || line == "[tamberlyn]") {
            continue;
        }
        const std::size_t equals = line.find('=');
        if (equals == std::string::npos) {
            start.errors.push_back(where + ": \"" + line + "\" is not key = value");
            continue;
        }
        const std::string key = Trimmed(line.substr(0, equals));
        const std::string value = Trimmed(line.substr(equals + 1));
        if (const SettingDefinition* definition = FindByKey(key)) {
            Apply(*definition, value, where + ": " + key + "=" + value, start);
        } else {
            start.errors.push_back(where + ": there is no setting called \"" + key + "\"");
        }
    }
}

void ReadEnvironment(const SettingSources& sources, StartSettings& start) {
    for (const std::string& name : sources.variableNames) {
        const bool known =
            std::any_of(SettingDefinitions().begin(), SettingDefinitions().end(),
                        [&](const SettingDefinition& definition) { return definition.variable == name; });
        if (!known) {
            start.errors.push_back(name + ": there is no such setting");
        }
    }
    for (const SettingDefinition& definition : SettingDefinitions()) {
        if (const std::string value = sources.environment(definition.variable.c_str()); !value.empty()) {
            Apply(definition, value, definition.variable + "=" + value, start);
        }
    }
}

// --key=value, --key value, --key and --no-key for yes/no settings, -h, --help, --version; "--" ends the
// options. Other arguments are the program's own.
void ReadArguments(const std::vector<std::string>& arguments, StartSettings& start) {
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (argument == "--") {
            start.commandLine.insert(start.commandLine.end(), arguments.begin() + std::ptrdiff_t(i) + 1,
                                     arguments.end());
            return;
        }
        if (argument == "-h" || argument == "--help") {
            start.request = StartSettings::Request::Help;
            continue;
        }
        if (argument == "--version") {
            start.request = StartSettings::Request::Version;
            continue;
        }
        if (argument.rfind("--", 0) != 0) {
            start.commandLine.push_back(argument);
            continue;
        }
        const std::size_t equals = argument.find('=');
        const std::string name = argument.substr(2, equals == std::string::npos ? std::string::npos : equals - 2);
        const bool negated = name.rfind("no-", 0) == 0 && FindByKey(name.substr(3)) && !FindByKey(name);
        const SettingDefinition* definition = FindByKey(negated ? name.substr(3) : name);
        if (!definition || (negated && (!definition->yesNo || equals != std::string::npos))) {
            start.errors.push_back("there is no option " + argument.substr(0, equals));
        } else if (equals != std::string::npos) {
            Apply(*definition, argument.substr(equals + 1), argument, start);
        } else if (definition->yesNo) {
            Apply(*definition, negated ? "no" : "yes", argument, start);
        } else if (i + 1 < arguments.size()) {
            Apply(*definition, arguments[i + 1], argument + " " + arguments[i + 1], start);
            ++i;
        } else {
            start.errors.push_back(argument + " needs a value: " + definition->values);
        }
    }
}

// Wraps `text` to lines of at most `width` characters, each starting with `indent`.
std::string Wrapped(const std::string& text, const std::string& indent, std::size_t width) {
    std::string out;
    std::string line = indent;
    for (const std::string& word : Split(text, ' ')) {
        if (line.size() > indent.size() && line.size() + 1 + word.size() > width) {
            out += line + "\n";
            line = indent;
        }
        line += (line.size() > indent.size() ? " " : "") + word;
    }
    return out + line + "\n";
}

std::string OptionsHelp(Audience audience) {
    std::string text;
    for (const SettingDefinition& definition : SettingDefinitions()) {
        if (definition.audience != audience) {
            continue;
        }
        text += "  --" + definition.key + "=" + (definition.yesNo ? "yes|no" : "VALUE") + "   (" + definition.variable +
                ")\n";
        std::string help = definition.help + " Takes " + definition.values + ".";
        if (!definition.defaultValue.empty()) {
            help += " Default: " + definition.defaultValue + ".";
        }
        text += Wrapped(help, "        ", 100);
    }
    return text;
}

}  // namespace

StartSettings ReadSettings(const SettingSources& sources) {
    StartSettings start;
    if (!sources.fileName.empty()) {
        ReadFile(sources.fileName, start);
    }
    ReadEnvironment(sources, start);
    ReadArguments(sources.arguments, start);
    return start;
}

SettingSources ProcessSources(const std::vector<std::string>& arguments,
                              const std::map<std::string, std::string>& overrides) {
    SettingSources sources;
    const auto variable = [overrides](const char* name) {
        if (const auto found = overrides.find(name); found != overrides.end()) {
            return found->second;
        }
        const char* value = std::getenv(name);
        return std::string(value ? value : "");
    };
    sources.environment = variable;
    std::vector<std::string> names;
    for (char** entry = environ; entry && *entry; ++entry) {
        const std::string assignment = *entry;
        names.push_back(assignment.substr(0, assignment.find('=')));
    }
    for (const auto& [name, value] : overrides) {
        names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    names.erase(std::unique(names.begin(), names.end()), names.end());
    for (const std::string& name : names) {
        if (name.rfind("TAMBERLYN_", 0) == 0 && !variable(name.c_str()).empty()) {
            sources.variableNames.push_back(name);
        }
    }
    const std::string configHome = variable("XDG_CONFIG_HOME");
    const std::string home = variable("HOME");
    if (!configHome.empty()) {
        sources.fileName = configHome + "/tamberlyn/tamberlyn.ini";
    } else if (!home.empty()) {
        sources.fileName = home + "/.config/tamberlyn/tamberlyn.ini";
    }
    sources.arguments = arguments;
    return sources;
}

std::string HelpText() {
    return "Usage: tamberlyn [OPTION]...\n"
           "Shows the intro: the screen flashes black and white on every frame while the picture intro.bmp, from the\n"
           "working directory, zooms from ten times its size down to its own and back. Escape quits; Alt+Enter\n"
           "switches between full screen and a window; the screenshot key (F12) or Print Screen saves the picture.\n"
           "\n"
           "Warning: the flashing can trigger seizures in people with photosensitive epilepsy. On a display the\n"
           "program says so first and asks whether to go on (--no-warning skips the question).\n"
           "\n"
           "Each option is also an environment variable (shown) and a key in the settings file,\n"
           "$XDG_CONFIG_HOME/tamberlyn/tamberlyn.ini (else ~/.config/tamberlyn/tamberlyn.ini), as key = value.\n"
           "The command line wins over the environment, the environment over the file. For yes/no settings,\n"
           "--NAME alone means yes and --no-NAME no.\n"
           "\n"
           "Options:\n" +
           OptionsHelp(Audience::User) +
           "  -h, --help\n"
           "        Show this help and exit.\n"
           "  --version\n"
           "        Show the version and exit.\n"
           "\n"
           "Settings for tests and diagnostics:\n" +
           OptionsHelp(Audience::Diagnostic);
}

// The program's start-up defines the real one; a process that is not the program has no arguments of its own.
__attribute__((weak)) std::vector<std::string> ProgramArguments() {
    return {};
}

std::string VersionText() {
    return std::string("tamberlyn ") + TAMBERLYN_VERSION + "\n";
}

}  // namespace plat
