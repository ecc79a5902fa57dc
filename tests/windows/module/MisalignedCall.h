// Calls a C-convention function with the stack pointer at a chosen offset from 16-byte
// alignment at the call, as a host built with another compiler may leave it (32-bit x86 only).
#pragma once

#include <cstdint>

extern "C" std::uint32_t lyreCallMisaligned(const void* function, const std::uint32_t* arguments,
                                            int argumentCount, int misalignment);

// Returns the stack pointer as it was at the call (before the return address was pushed).
extern "C" std::uint32_t lyreStackPointerAtCall();
