#pragma once

#include "link/rat_socket.h"

namespace tavrin {

// What the state dump shows of the connection worker.
struct WorkerInfo {
    int threadCount = 0;   // live workers in the process
    bool present = false;  // a current worker exists
    unsigned long long reference = 0;
    unsigned long long threadId = 0;
    RatSocketSnapshot socket;
};

// Whoever runs the workers tells what they are doing.
class WorkerInfoSource {
  public:
    virtual ~WorkerInfoSource() = default;
    virtual WorkerInfo CurrentWorkerInfo() const = 0;
};

}  // namespace tavrin
