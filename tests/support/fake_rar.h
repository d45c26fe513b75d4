// A stand-in for the RAR library: archives described in memory, served through
// the four entry points with the library's calling rules (open modes, header
// walk, skip/test, the callback's data, volume and password messages). It also
// does what the real library never does on purpose: announce a size and deliver
// more or less, report a 4 GiB member, fail a skip. Tests install it with
// RarSetEntryPointsOverride(&FakeRarEntryPoints()).
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "archive/rar_api.h"

struct FakeRarMember {
    std::u16string name;  // as the library reports it, '\' separators
    std::string data;
    bool folder = false;
    uint32_t announced = UINT32_MAX;  // UnpSize to report; UINT32_MAX: data's size
    uint32_t sizeHigh = 0;
    bool encrypted = false;  // asks for the password when tested
    bool failSkip = false;
    bool continuation = false;       // the rest of the member before, from the next volume:
                                     // reported in extract mode only, as the library does
    uint32_t dosTime = 0x58210000u;  // 2024-01-01 00:00
};

struct FakeRarArchive {
    uint32_t flags = 0;  // archive flags (volume, numbering, first volume)
    std::vector<FakeRarMember> members;
    bool encryptedHeaders = false;   // asks for the password at open
    std::u16string password;         // the right one
    bool missingNextVolume = false;  // asks for the next volume before the first member
};

struct FakeRarState {
    std::map<std::u16string, FakeRarArchive> archives;  // by path
    int opens = 0;                                      // successful opens (each must be closed)
    int closes = 0;
    int passwordAsks = 0;  // kNeedPasswordW messages sent
    std::u16string lastOpened;
    size_t chunk = 7;                           // bytes per kProcessData message
    std::vector<std::u16string> extractedInto;  // the destination path of each kExtract call
};

FakeRarState& FakeRar();  // cleared by FakeRarReset
void FakeRarReset();
const RarEntryPoints& FakeRarEntryPoints();
