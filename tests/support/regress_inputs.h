// The saved inputs of a tests/regress/<format>/ folder (minimised crash and
// fault inputs, and the outputs of the folder's generator script), for the
// replays of each format's tests.
#pragma once

#include <filesystem>
#include <vector>

// Every file of folder except its notes (.md), its generator scripts (.py) and
// hidden files, in name order. A folder that cannot be read or holds no input
// adds a test failure: a replay with nothing to replay must not pass.
std::vector<std::filesystem::path> RegressInputs(const std::filesystem::path& folder);
