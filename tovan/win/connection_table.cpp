#include "win/connection_table.h"

#include "tovan32.h"

namespace tovan {

int ConnectionTable::Add(std::shared_ptr<Connection> connection) {
    std::lock_guard<std::mutex> hold(lock_);
    if (open_.size() >= TOVAN_MAX_CONNECTIONS) return 0;
    do {
        lastHandle_ = lastHandle_ >= 0x7fffffff - 1 ? 1 : lastHandle_ + 1;
    } while (open_.count(lastHandle_));
    open_[lastHandle_] = std::move(connection);
    return lastHandle_;
}

std::shared_ptr<Connection> ConnectionTable::Find(int handle) {
    std::lock_guard<std::mutex> hold(lock_);
    auto it = open_.find(handle);
    return it == open_.end() ? nullptr : it->second;
}

void ConnectionTable::Remove(int handle) {
    std::lock_guard<std::mutex> hold(lock_);
    open_.erase(handle);
}

ConnectionTable& Connections() {
    static ConnectionTable table;
    return table;
}

}  // namespace tovan
