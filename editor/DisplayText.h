// The editor's value-to-text functions, installed as the displays' string-conversion hooks.
// Texts are short; callers pass buffers of at least 16 bytes.
#pragma once

namespace displaytext {

void percent(float value, char* text);   // "25%"
void cents(float value, char* text);     // "-100c"
void semitones(float value, char* text); // "b24", "0", "#24"
void decibels(float gain, char* text);   // "0.0dB", "-0.9dB", "-oo dB"

} // namespace displaytext
