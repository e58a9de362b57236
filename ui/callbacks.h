// Binding control callbacks by their resource names. A family of per-channel callbacks
// (gain_1 .. gain_16) is a table of names, each with an adapter that hands its number
// to the one function doing the work, so that every resource name appears in the code.
#pragma once

#include "platform/userint.h"

struct NamedCallback {
    const char *name;
    CtrlCallbackPtr callback;
};

// Calls Work(N) on the commit event.
template <auto Work, int N>
int on_commit(int, int, int event, void *, int, int)
{
    if (event == EVENT_COMMIT) Work(N);
    return 0;
}

template <int Count>
void register_named(const NamedCallback (&table)[Count])
{
    for (const NamedCallback &entry : table) RegisterCtrlCallback(entry.name, entry.callback);
}
