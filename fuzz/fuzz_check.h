#pragma once

// A property a fuzz target asserts of every input: where it fails, the target says which and
// aborts, so libFuzzer keeps the input as a crash.
void fuzzCheck(bool holds, const char *property);
