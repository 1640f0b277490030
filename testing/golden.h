#pragma once
// Golden files: texts of the source tree (KORVANE_SOURCE_DIR) that a reviewer has read once, and that a test's output
// must equal.

#include <gtest/gtest.h>

#include <string>

// The path of a file of the source tree, given relative to its root ("common/tests/golden/x.txt"); empty when
// KORVANE_SOURCE_DIR is missing.
std::string SourcePath(const std::string& relative);
// The bytes of a file of the source tree, given relative to its root ("common/tests/golden/x.txt"); empty when the
// file or KORVANE_SOURCE_DIR is missing.
std::string SourceFileText(const std::string& relative);

// Success when `text` equals the golden file. Otherwise the text is written beside it as <file>.actual, for a
// reviewer to compare and, when the change is meant, to move over the golden file.
::testing::AssertionResult MatchesGolden(const std::string& text, const std::string& relative);
