// settings_test.cpp -- the settings' sources and their precedence, every kind of refusal with its source, --help,
// and the README's tables as the settings table writes them.
#include "settings.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

namespace {

using plat::SettingSources;
using plat::StartSettings;

struct Sources {
    std::vector<std::string> fileLines;
    std::map<std::string, std::string> environment;
    std::vector<std::string> arguments;
};

// Reads `given`, the settings file written to a file of its own for the call.
StartSettings Read(const Sources& given) {
    const std::string fileName = testing::TempDir() + "tamberlyn-settings-test.ini";
    {
        std::ofstream file(fileName);
        for (const std::string& line : given.fileLines) {
            file << line << "\n";
        }
    }
    SettingSources sources;
    sources.fileName = fileName;
    sources.environment = [&](const char* name) {
        const auto found = given.environment.find(name);
        return found == given.environment.end() ? std::string() : found->second;
    };
    for (const auto& [name, value] : given.environment) {
        sources.variableNames.push_back(name);
    }
    sources.arguments = given.arguments;
    StartSettings start = plat::ReadSettings(sources);
    std::remove(fileName.c_str());
    for (std::string& error : start.errors) {  // the file's name is the test's; its line number is what matters
        if (error.rfind(fileName, 0) == 0) {
            error.replace(0, fileName.size(), "FILE");
        }
    }
    return start;
}

TEST(SettingsTest, TheCommandLineWinsOverTheEnvironmentWhichWinsOverTheFile) {
    const StartSettings start =
        Read({{"# a comment", "[tamberlyn]", "window = mode", "scale=integer", "frame-cap = 30"},
              {{"TAMBERLYN_SCALE", "stretch"}, {"TAMBERLYN_FRAME_CAP", "90"}, {"TAMBERLYN_UNPACED", "yes"}},
              {"--frame-cap=120", "first", "--no-vsync", "--display", "2", "--", "--window=window"}});
    ASSERT_EQ(start.errors, std::vector<std::string>{});
    EXPECT_EQ(start.settings.windowMode, plat::WindowMode::Mode) << "from the file";
    EXPECT_EQ(start.settings.scaling, plat::Scaling::Stretch) << "the environment over the file";
    EXPECT_EQ(start.settings.frameCap, 120) << "the command line over both";
    EXPECT_TRUE(start.settings.unpaced) << "yes is a yes, as everywhere";
    EXPECT_FALSE(start.settings.vsync) << "--no-vsync";
    EXPECT_EQ(start.settings.displayIndex, 2) << "--display 2";
    EXPECT_EQ(start.commandLine, (std::vector<std::string>{"first", "--window=window"}))
        << "arguments that are not options, and all after --, are the program's";
    EXPECT_EQ(start.request, StartSettings::Request::Run);
    EXPECT_EQ(Read({}).settings.frameCap, 60) << "by default frames follow the program's clock on every monitor";
}

struct Refusal {
    const char* what;
    Sources sources;
    std::string error;
};

TEST(SettingsTest, EveryValueThatCannotBeReadIsRefusedNamingItsSourceAndTheChoices) {
    const Refusal refusals[] = {
        {"a choice",
         {{}, {{"TAMBERLYN_WINDOW", "fullscreen"}}, {}},
         "TAMBERLYN_WINDOW=fullscreen: expected desktop, window or mode"},
        {"choices are exact", {{}, {}, {"--scale=Fit"}}, "--scale=Fit: expected fit, integer or stretch"},
        {"a yes/no word",
         {{"vsync = maybe"}, {}, {}},
         "FILE:1: vsync=maybe: expected yes or no (or true/false, on/off, 1/0)"},
        {"a number out of range",
         {{}, {{"TAMBERLYN_FRAME_CAP", "-5"}}, {}},
         "TAMBERLYN_FRAME_CAP=-5: expected a whole number from 0 to 1000"},
        {"a number that would wrap",
         {{}, {{"TAMBERLYN_DISPLAY", "4294967296"}}, {}},
         "TAMBERLYN_DISPLAY=4294967296: expected a whole number from 0 to 63"},
        {"one bad script entry",
         {{}, {{"TAMBERLYN_SCRIPT", "10:key=ESCAPE,20:jump"}}, {}},
         "TAMBERLYN_SCRIPT=10:key=ESCAPE,20:jump: \"20:jump\" is not frame:action (a frame number from 0; "
         "key=NAME, deactivate, activate or close)"},
        {"a capture frame that would wrap",
         {{}, {{"TAMBERLYN_CAPTURE", "1,4294967298"}}, {}},
         "TAMBERLYN_CAPTURE=1,4294967298: \"4294967298\" is not a frame number from 1 to 2147483647"},
        {"a failpoint count that would wrap",
         {{}, {{"TAMBERLYN_FAIL", "LoadImageA@4294967297=0"}}, {}},
         "TAMBERLYN_FAIL=LoadImageA@4294967297=0: \"LoadImageA@4294967297=0\" is not Name=value or Name@N=value "
         "(a call, a count from 1, a 64-bit value)"},
        {"a failpoint value past 64 bits",
         {{}, {{"TAMBERLYN_FAIL", "LoadImageA=99999999999999999999999"}}, {}},
         "TAMBERLYN_FAIL=LoadImageA=99999999999999999999999: \"LoadImageA=99999999999999999999999\" is not Name=value "
         "or Name@N=value (a call, a count from 1, a 64-bit value)"},
        {"a key with no name",
         {{}, {}, {"--screenshot-key=Banana"}},
         "--screenshot-key=Banana: expected a key name such as F12, F11 or Pause"},
        {"an option nobody knows", {{}, {}, {"--fullscreen"}}, "there is no option --fullscreen"},
        {"no-... only for yes/no settings", {{}, {}, {"--no-window"}}, "there is no option --no-window"},
        {"an option without its value", {{}, {}, {"--window"}}, "--window needs a value: desktop, window or mode"},
        {"a variable nobody knows",
         {{}, {{"TAMBERLYN_FULLSCREEN", "1"}}, {}},
         "TAMBERLYN_FULLSCREEN: there is no such setting"},
        {"a file key nobody knows",
         {{"", "fullscreen = yes"}, {}, {}},
         "FILE:2: there is no setting called \"fullscreen\""},
        {"a file line that is no setting", {{"window"}, {}, {}}, "FILE:1: \"window\" is not key = value"},
    };
    for (const Refusal& refusal : refusals) {
        EXPECT_EQ(Read(refusal.sources).errors, std::vector<std::string>{refusal.error}) << refusal.what;
    }
}

TEST(SettingsTest, HelpAndVersionAreAnsweredWhateverElseIsGiven) {
    EXPECT_EQ(Read({{}, {}, {"--window=nonsense", "-h"}}).request, StartSettings::Request::Help);
    EXPECT_EQ(Read({{}, {}, {"--version"}}).request, StartSettings::Request::Version);
    EXPECT_NE(plat::HelpText().find("  --window=VALUE   (TAMBERLYN_WINDOW)\n        How the program's"),
              std::string::npos);
    EXPECT_NE(plat::HelpText().find("Takes desktop, window or mode. Default: desktop."), std::string::npos);
}

// The README's two tables of settings are the table's rows, written out.
TEST(SettingsTest, TheReadmeListsEverySettingAsTheTableDeclaresIt) {
    std::ifstream file(TAMBERLYN_README);
    const std::string readme((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    ASSERT_FALSE(readme.empty()) << "cannot read " << TAMBERLYN_README;
    for (const plat::SettingDefinition& definition : plat::SettingDefinitions()) {
        const std::string row = "| `--" + definition.key + "` | `" + definition.variable + "` | " + definition.values +
                                " | " + (definition.defaultValue.empty() ? "" : "`" + definition.defaultValue + "`") +
                                " | " + definition.help + " |";
        EXPECT_NE(readme.find(row), std::string::npos) << "expected this row in the README:\n" << row;
    }
}

}  // namespace
