// scripted_reset.cpp - script::Reset: puts every scripted service back to its start.
// Each service resets its own state; this file only knows the order.
#include "tests/support/scripted.h"
#include "tests/support/scripted_detail.h"

namespace script {

void Reset(uint32_t startMs) {
    detail::ResetTimeline();
    detail::ResetClock(startMs);
    detail::ResetWindow();
    detail::ResetInput();
    detail::ResetInstance();
}

}  // namespace script
