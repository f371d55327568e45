// The workloads of the performance table, each measured at two sizes in a fresh
// process per sample. A workload sets its document up untimed, then times what a
// user or a host does, painted as a user sees it (every pending paint of the
// control and its children done before the clock stops).
#pragma once

#include <string>

#include "BenchControl.h"

namespace qvbench {

// What one sample gives: the figure (milliseconds, or megabytes for the memory
// row), and whether the control did what was asked (the text it should hold).
struct Sample {
    double value = 0;
    bool ok = false;
    std::string note;  // what went wrong, when it did
};

struct Workload {
    const char* name;   // its name on the command line
    const char* title;  // what is measured, for the table
    const char* unit;   // of the sizes: "lines", "bytes", "chars"
    unsigned sizes[2];  // the two sizes measured
    const char* target; // the target, at the size the table names
    bool megabytes;     // the figure is memory, not time
    Sample (*run)(BenchControl& bench, unsigned size);
};

extern const Workload kWorkloads[];
extern const unsigned kWorkloadCount;

const Workload* FindWorkload(const std::string& name);

}  // namespace qvbench
