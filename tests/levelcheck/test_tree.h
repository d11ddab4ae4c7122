#pragma once
// A small data tree that quarndel-check passes without a finding, which each
// test breaks in one place, and helpers to check it and read the report.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "check/report.h"
#include "tests/support.h"

class CheckedTree : public ::testing::Test {
  protected:
    void SetUp() override;

    // Removes the line of level n (1 or 2) that starts with `prefix` (none
    // when empty) and adds `line` at the end (nothing when empty). Returns
    // the number of the added line.
    int EditLevel(int n, const std::string &prefix, const std::string &line);
    // Replaces line 1 of level 1.
    void SetFirstLine(const std::string &line);

    Report Check(const std::string &firstLevel = "data/level_1");
    std::string At(const std::string &name) const { return tree / name; }

    TempDir tree;
    std::vector<std::string> levels[2];

  private:
    void WriteLevelFile(int n);
};

// Succeeds when the report holds exactly one finding at path:line (line 0:
// the whole file) of that severity whose message contains `text`.
::testing::AssertionResult HasFinding(const Report &report, const std::string &path, int line,
                                      Severity severity, const std::string &text);

// Every finding, one per line, for failure messages.
std::string Describe(const Report &report);

// Writes a 640x480 background: two colours in alternate columns, or, with
// split set, a left half of one colour and a right half of the other.
void WriteTwoColourBackground(const std::string &path, Uint32 a, Uint32 b, bool split);
