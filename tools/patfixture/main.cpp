// velmora-patfixture [--versions] FOLDER DESCRIPTION...
// Writes the PAT files of every described race into FOLDER, or with --versions a
// race day: every version of every race below FOLDER/versions/HHMMSS/. Every
// description is read and checked first, so a faulty one leaves the folder untouched.

#include "market_versions.h"
#include "pat_fixture.h"

#include <cstring>
#include <fstream>
#include <iostream>
#include <sstream>

namespace {

using velmora::patfixture::FixtureError;
using velmora::patfixture::FixtureFile;

std::string ReadText(const std::string& path) {
    std::ifstream stream(path, std::ios::binary);
    if (!stream) {
        throw FixtureError("cannot read " + path);
    }
    std::ostringstream text;
    text << stream.rdbuf();
    return text.str();
}

int Usage() {
    std::cerr << "usage: velmora-patfixture [--versions] FOLDER DESCRIPTION...\n"
                 "Writes the Zo-, Uo-, De- and Ks- files of each described race into FOLDER;\n"
                 "with --versions every version of each race into FOLDER/versions/HHMMSS/.\n";
    return 2;
}

// Every file to write, named relative to the folder; throws on the first faulty description.
std::vector<FixtureFile> BuildFiles(bool versions, const std::vector<std::string>& paths) {
    std::vector<FixtureFile> files;
    std::vector<velmora::patfixture::VersionPlan> plans;
    for (const std::string& path : paths) {
        try {
            std::string text = ReadText(path);
            if (versions) {
                plans.push_back(velmora::patfixture::ParseVersionPlan(text));
                continue;
            }
            auto raceFiles =
                velmora::patfixture::BuildRaceFiles(velmora::patfixture::ParseRaceDescription(text));
            files.insert(files.end(), raceFiles.begin(), raceFiles.end());
        } catch (const FixtureError& error) {
            throw FixtureError(path + ": " + error.what());
        }
    }
    return versions ? velmora::patfixture::RaceDayFiles(plans) : files;
}

bool WriteFiles(const std::filesystem::path& folder, const std::vector<FixtureFile>& files) {
    for (const auto& file : files) {
        std::filesystem::path path = folder / file.name;
        std::error_code error;
        std::filesystem::create_directories(path.parent_path(), error);
        std::ofstream stream(path, std::ios::binary | std::ios::trunc);
        stream.write(file.bytes.data(), static_cast<std::streamsize>(file.bytes.size()));
        if (!stream) {
            std::cerr << "cannot write " << path.string() << '\n';
            return false;
        }
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    int first = 1;
    bool versions = argc > 1 && std::strcmp(argv[1], "--versions") == 0;
    first += versions ? 1 : 0;
    if (argc - first < 2) {
        return Usage();
    }
    std::vector<std::string> paths(argv + first + 1, argv + argc);
    try {
        return WriteFiles(argv[first], BuildFiles(versions, paths)) ? 0 : 1;
    } catch (const FixtureError& error) {
        std::cerr << error.what() << '\n';
        return 1;
    }
}
