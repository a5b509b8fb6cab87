// ConnectionTable: the open connections of the process, by handle.
//
// Handles count up from 1 and are not reused until the count wraps, so a
// stale handle does not reach a newer connection by accident.
#pragma once
#include <map>
#include <memory>
#include <mutex>

#include "win/connection.h"

namespace tovan {

class ConnectionTable {
public:
    // The new handle (> 0), or 0 when TOVAN_MAX_CONNECTIONS are open.
    int Add(std::shared_ptr<Connection> connection);
    std::shared_ptr<Connection> Find(int handle);
    void Remove(int handle);

private:
    std::mutex lock_;
    std::map<int, std::shared_ptr<Connection>> open_;
    int lastHandle_ = 0;
};

ConnectionTable& Connections();

}  // namespace tovan
