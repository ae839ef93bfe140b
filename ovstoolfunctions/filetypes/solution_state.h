// The process's solution types and file filter type, set by the host at start.
#pragma once

namespace ovs::products {

struct SolutionState {
    long appSolutionType = -1;
    long defaultSolutionType = -1;
    int fileFilterType = 0;
};

SolutionState& Solution();

} // namespace ovs::products
