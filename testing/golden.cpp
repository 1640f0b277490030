#include "testing/golden.h"

#include "testing/files.h"

#include <cstdlib>

std::string SourcePath(const std::string& relative) {
    const char* root = std::getenv("KORVANE_SOURCE_DIR");
    if (root == nullptr) {
        return {};
    }
    std::string path = std::string(root) + "/" + relative;
#ifdef _WIN32
    // Under Wine the Unix root is drive Z:.
    if (!path.empty() && path[0] == '/') {
        path = "Z:" + path;
    }
    for (char& c : path) {
        if (c == '/') {
            c = '\\';
        }
    }
#endif
    return path;
}

std::string SourceFileText(const std::string& relative) {
    const std::string path = SourcePath(relative);
    if (path.empty()) {
        return {};
    }
    return ReadFileText(path);
}

::testing::AssertionResult MatchesGolden(const std::string& text, const std::string& relative) {
    const std::string golden = SourceFileText(relative);
    if (!golden.empty() && golden == text) {
        return ::testing::AssertionSuccess();
    }
    const std::string path = SourcePath(relative);
    const std::string actual = path.empty() ? std::string("nowhere (KORVANE_SOURCE_DIR is not set)") : path + ".actual";
    if (!path.empty()) {
        WriteFileText(actual, text);
    }
    return ::testing::AssertionFailure() << (golden.empty() ? "golden file missing: " : "differs from golden file ")
                                         << relative << "; the output was written to " << actual;
}
