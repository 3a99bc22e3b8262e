#include "watch/debounce_queue.h"

namespace velmora {

void DebounceQueue::Touch(const std::string& name, std::int64_t nowMs) {
    const std::int64_t deadline = nowMs + delayMs_;
    auto found = where_.find(name);
    if (found != where_.end()) {
        found->second->deadline = deadline;
        order_.splice(order_.end(), order_, found->second);
        return;
    }
    order_.push_back({name, deadline});
    where_.emplace(name, std::prev(order_.end()));
}

void DebounceQueue::Forget(const std::string& name) {
    auto found = where_.find(name);
    if (found == where_.end()) {
        return;
    }
    order_.erase(found->second);
    where_.erase(found);
}

std::optional<std::int64_t> DebounceQueue::NextDeadline() const {
    if (order_.empty()) {
        return std::nullopt;
    }
    return order_.front().deadline;
}

std::vector<std::string> DebounceQueue::TakeDue(std::int64_t nowMs) {
    std::vector<std::string> due;
    while (!order_.empty() && order_.front().deadline <= nowMs) {
        where_.erase(order_.front().name);
        due.push_back(std::move(order_.front().name));
        order_.pop_front();
    }
    return due;
}

std::vector<std::string> DebounceQueue::TakeAll() {
    std::vector<std::string> all;
    all.reserve(order_.size());
    for (Entry& entry : order_) {
        all.push_back(std::move(entry.name));
    }
    order_.clear();
    where_.clear();
    return all;
}

} // namespace velmora
