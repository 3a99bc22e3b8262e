// Records versions of one race into a history database from a process of its
// own, so that tests can run two writers at once or kill one mid-recording.
//
//     velmora_history_child DATABASE FOLDER RACE_NO FIRST_VERSION COUNT
//
// Writes one "." to standard output after each version is added and exits 0
// when every version was added, 1 otherwise.
#include "history/history_store.h"
#include "history_fixtures.h"

#include <unistd.h>

#include <cstdio>
#include <string>

int main(int argc, char** argv) {
    if (argc != 6) {
        std::fprintf(stderr, "usage: %s DATABASE FOLDER RACE_NO FIRST_VERSION COUNT\n", argv[0]);
        return 2;
    }
    velmora::HistoryStore store(argv[1]);
    const int raceNo = std::stoi(argv[3]);
    const int first = std::stoi(argv[4]);
    const int count = std::stoi(argv[5]);
    bool allAdded = store.IsAvailable();
    for (int version = first; allAdded && version < first + count; ++version) {
        for (const auto& file : {velmora::test::OddsVersion(argv[2], raceNo, version),
                                 velmora::test::QuinellaVersion(argv[2], raceNo, version)}) {
            allAdded = allAdded && store.Record(file) == velmora::RecordOutcome::Added;
        }
        // Unbuffered, so the parent sees progress the moment it is made.
        if (allAdded && write(STDOUT_FILENO, ".", 1) != 1) {
            allAdded = false;
        }
    }
    if (const auto problem = store.TakeProblem()) {
        std::fprintf(stderr, "%s\n", problem->c_str());
    }
    return allAdded ? 0 : 1;
}
