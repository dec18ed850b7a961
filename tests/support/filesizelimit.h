#pragma once

#include "childprocess.h"
#include "textstore.h"

namespace hoedeck::testing {

// `work` on a disk that is full past `limitBytes` (see inChildWithFileSizeLimit): gives the
// StoreError text the work threw, "no error" when it threw none, and "child failed" when the
// child did not finish.
inline QString underFileSizeLimit(rlim_t limitBytes, const std::function<void()>& work) {
    return inChildWithFileSizeLimit(limitBytes, [&]() -> std::string {
        try {
            work();
        } catch (const StoreError& e) {
            return e.what();
        }
        return "no error";
    });
}

} // namespace hoedeck::testing
