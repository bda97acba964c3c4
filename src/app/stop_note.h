// What a run that a stop signal ends says on standard error.
#pragma once

#include "app/output/output.h"

#include <string>

namespace tagshifter {

// Keeps the stop signals' note up to date: after how many files the run
// stopped, how many it changed, and the command that undoes them (or that
// nothing can). The note is said only if a signal ends the run.
class StopNote {
public:
    // `undoCommand`: "" when the run keeps no journal.
    StopNote(const Output& output, std::string undoCommand, size_t files);
    ~StopNote();
    StopNote(const StopNote&) = delete;
    StopNote& operator=(const StopNote&) = delete;

    // After each file.
    void update() const;

private:
    const Output& output_;
    std::string undoCommand_;
    size_t files_;
};

}  // namespace tagshifter
