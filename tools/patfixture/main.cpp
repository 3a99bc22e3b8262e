// velmora-patfixture FOLDER DESCRIPTION...
// Writes the PAT files of every described race into FOLDER. Every description is
// read and checked first, so a faulty one leaves the folder untouched.

#include "pat_fixture.h"

#include <fstream>
#include <iostream>
#include <sstream>

namespace {

using velmora::patfixture::FixtureError;
using velmora::patfixture::Race;

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
    std::cerr << "usage: velmora-patfixture FOLDER DESCRIPTION...\n"
                 "Writes the Zo-, Uo-, De- and Ks- files of each described race into FOLDER.\n";
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        return Usage();
    }
    std::filesystem::path folder = argv[1];
    std::vector<std::vector<velmora::patfixture::FixtureFile>> races;
    for (int k = 2; k < argc; ++k) {
        std::string path = argv[k];
        try {
            races.push_back(velmora::patfixture::BuildRaceFiles(
                velmora::patfixture::ParseRaceDescription(ReadText(path))));
        } catch (const FixtureError& error) {
            std::cerr << path << ": " << error.what() << '\n';
            return 1;
        }
    }
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    for (const auto& files : races) {
        for (const auto& file : files) {
            std::filesystem::path path = folder / file.name;
            std::ofstream stream(path, std::ios::binary | std::ios::trunc);
            stream.write(file.bytes.data(), static_cast<std::streamsize>(file.bytes.size()));
            if (!stream) {
                std::cerr << "cannot write " << path.string() << '\n';
                return 1;
            }
        }
    }
    return 0;
}
