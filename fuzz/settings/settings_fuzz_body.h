// One fuzz input through the settings reader, the slot dump and the writer, with
// the invariants the program relies on. Shared by the libFuzzer target and the
// replay of tests/regress/settings in the unit tests.
#pragma once

#include <cstddef>
#include <cstdint>

// Returns false when an invariant does not hold (the fuzzer then stops).
bool SettingsFuzzOne(const uint8_t* data, size_t size);
