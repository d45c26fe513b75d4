// TAR archives built in code for the TAR plug-in's tests: one ustar entry (header
// plus data padded to 512 bytes) at a time.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

using TarBytes = std::vector<uint8_t>;

// type: '0' file, '5' folder, 'L' GNU long name, 'x' pax header, ...; prefix: the
// ustar prefix field; base256: the size in GNU's binary form.
TarBytes TarEntry(const std::string& name,
                  const std::string& data,
                  char type = '0',
                  const std::string& prefix = "",
                  bool base256 = false);
TarBytes TarJoin(std::initializer_list<TarBytes> parts);
