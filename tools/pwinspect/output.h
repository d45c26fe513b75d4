// Output helpers shared by the pwinspect subcommands: JSON strings from UTF-16 text
// and binary-safe standard output.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

// Writes text as a JSON string literal (quotes included) to out.
void PrintJsonString(FILE* out, const char16_t* text, size_t n);
// Switches standard output to binary mode (Windows) before raw bytes are written.
void SetBinaryStdout();
