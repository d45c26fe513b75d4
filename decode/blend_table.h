// The blend table: 256 x 256 products a * c / 255, rounded, used to composite
// translucent pixels against the background without divisions.
//
// FillBlendTable() runs once at start (while the settings are read), before any
// decoder thread exists; afterwards the table is only read. BlendTable() hands it
// to the PNG decoder: entry [a][c] is at a * 256 + c.
#pragma once

#include <cstdint>

inline constexpr int kBlendTableSize = 256 * 256;

void FillBlendTable();
// The 65536 entries; all zero until FillBlendTable has run.
const uint8_t* BlendTable();
