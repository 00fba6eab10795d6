// scripted_detail.h - how script::Reset reaches every scripted service. Each service
// file of tests/support implements its own Reset function here.
#ifndef VORLANE_TESTS_SCRIPTED_DETAIL_H
#define VORLANE_TESTS_SCRIPTED_DETAIL_H

#include <stdint.h>

namespace script::detail {
void ResetClock(uint32_t startMs);
void ResetWindow();
void ResetInput();
void ResetTimeline();
// Runs the pump duties and device periods that fall due up to the virtual time now.
void RunDueWork();
}  // namespace script::detail

#endif
