// One of several processes hammering the per-user store at once: it stores memories and
// defaults stamped with its own numbers and checks that everything it reads is one whole
// record that some writer stored.
#pragma once

#include "presets/ProgramRecord.h"

namespace storewriter {

// Stamps: id, id + writers, id + 2 writers, ... Prints its counts; exit status 0 when every
// read was whole.
int run(int id, int writers, double seconds);

// Stores stamped values for every record so that readers never meet an absent one.
void seedStore();

// Whole when all six programs carry the same stamp (the bank writes one stamp into all six).
bool wholeBank(const ProgramBank& programs);
// A new instance: a whole preset in program 0, a whole bank in 1 to 5 whose shared values
// (Output, Mix, Bypass) follow program 0.
bool wholeDefaults(const ProgramBank& programs);

} // namespace storewriter
