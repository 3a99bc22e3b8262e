#pragma once

#include <cstdint>
#include <list>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace velmora {

// Files waiting for their writes to settle, each due a fixed delay after the
// last time it was touched. Every touch moves a file to the back with the
// same delay, so the queue stays in deadline order at constant cost per
// event: a burst of writes costs one entry per file, not one per write.
class DebounceQueue {
public:
    explicit DebounceQueue(std::int64_t delayMs) : delayMs_(delayMs) {}

    // (Re)starts the file's wait from `nowMs`.
    void Touch(const std::string& name, std::int64_t nowMs);
    void Forget(const std::string& name);

    // When the earliest file is due; nothing when none waits.
    std::optional<std::int64_t> NextDeadline() const;

    // Removes and returns the files due at `nowMs`, earliest first.
    std::vector<std::string> TakeDue(std::int64_t nowMs);
    // Removes and returns every waiting file, due or not.
    std::vector<std::string> TakeAll();

private:
    struct Entry {
        std::string name;
        std::int64_t deadline;
    };
    std::int64_t delayMs_;
    std::list<Entry> order_;
    std::unordered_map<std::string, std::list<Entry>::iterator> where_;
};

} // namespace velmora
