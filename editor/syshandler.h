// The signal handlers. Each handler only records its signal; the work is done by
// runsignals() from the key source, between keys, where the editor's state is consistent.
#pragma once

#include <csignal>

namespace zek {

extern volatile sig_atomic_t pendingsignals;
extern int windresize;

void setsig();
void SuspHandler(int sig);
void ResHandler(int sig);
void WindowHandler(int sig);
void PipeHandler(int sig);
void runsignals();
// A hangup or termination waiting to be answered is answered now (it does not return): for the
// waits that are not reads of keys.
void endifhungup();
// True while an interrupt waits to be handled: long waits give up when the user asks.
bool interruptpending();

}  // namespace zek
