// One CBT hook per thread shared by every module of the process: each module adds its callback
// instead of installing a hook of its own.
#pragma once
#include <windows.h>

namespace ovut::debug {

// install: adds `callback` to the calling thread's list (the hook is set with the first one);
// otherwise removes it (the hook goes with the last one). The callbacks run in the order added
// for every CBT notification (code >= 0); the first non-zero result is the hook's result (it
// stops the action, as a CBT hook's result does), else the next hook in the chain answers.
// 0, -4 when the system refuses the hook, -5 for a null callback or one that is not in the list.
int SetCBTHook(HOOKPROC callback, bool install) noexcept;

}  // namespace ovut::debug
