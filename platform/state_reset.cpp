#include "platform/state_reset.h"

#include <algorithm>
#include <vector>

namespace {
// A function-local list: registrations run during static initialisation of
// other translation units, in any order.
std::vector<StateResetFn>& Registered()
{
    static std::vector<StateResetFn> fns;
    return fns;
}
}  // namespace

void RegisterStateReset(StateResetFn fn)
{
    auto& fns = Registered();
    if (fn && std::find(fns.begin(), fns.end(), fn) == fns.end()) fns.push_back(fn);
}

void RunStateResets()
{
    for (StateResetFn fn : Registered()) fn();
}
