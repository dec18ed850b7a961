#pragma once

#include "command.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

namespace hoedeck {

// What the callers' side of the engine and its mixer share: the lock, the command queue, and
// what the mixer lets go of.
struct EngineCore {
    // Enough for every stream, sync list and effect chain a busy evening lets go of between two
    // calls of a caller; the mixer holds on to the rest until there is room.
    static constexpr std::size_t kRetiredCapacity = 4096;

    EngineCore() {
        queue.reserve(1024);
        retired.reserve(kRetiredCapacity);
    }

    // The engine's lock: the queue, the retired list and every stream's control side.
    std::mutex mutex;
    std::vector<Command> queue;
    std::uint64_t seq = 0; // of the latest command queued
    // Whatever the mixer stopped using, released by a caller outside the lock: the mixer
    // never frees memory.
    std::vector<std::shared_ptr<void>> retired;

    // The latest command the mixer has applied.
    std::atomic<std::uint64_t> appliedSeq{0};
    // Output frames mixed so far.
    std::atomic<std::uint64_t> mixed{0};
    // A one-shot sound has played out and waits to be freed.
    std::atomic<bool> ended{false};

    // Queues a command; with the lock held.
    Command& push(Command::Op op, Stream* stream) {
        Command& command = queue.emplace_back();
        command.op = op;
        command.stream = stream;
        command.seq = ++seq;
        return command;
    }
};

} // namespace hoedeck
