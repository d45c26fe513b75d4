#include "tests/support/regress_inputs.h"

#include <gtest/gtest.h>

#include <algorithm>

std::vector<std::filesystem::path> RegressInputs(const std::filesystem::path& folder) {
    std::vector<std::filesystem::path> inputs;
    std::error_code ec;
    std::filesystem::directory_iterator it(folder, ec);
    for (; !ec && it != std::filesystem::directory_iterator(); it.increment(ec)) {
        const std::filesystem::path& path = it->path();
        const std::string name = path.filename().string();
        if (!it->is_regular_file(ec) || name.empty() || name[0] == '.' || path.extension() == ".md" ||
            path.extension() == ".py") {
            continue;
        }
        inputs.push_back(path);
    }
    if (ec) {
        ADD_FAILURE() << folder.string() << ": " << ec.message();
        return {};
    }
    if (inputs.empty()) {
        ADD_FAILURE() << folder.string() << " holds no input to replay";
    }
    std::sort(inputs.begin(), inputs.end());
    return inputs;
}
