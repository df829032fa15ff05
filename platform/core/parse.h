// parse.h -- reading the words of settings and scripts: whole numbers that never wrap, yes and no, lists.
#pragma once

#include <string>
#include <vector>

namespace plat {

// A whole number in decimal or with a 0x prefix, optionally negative, within [low, high]; false for anything
// else, including numbers too large for any type here.
bool ParseNumber(const std::string& text, long long low, long long high, long long* value);
// yes, no, true, false, on, off, 1 or 0, in any case; false for anything else.
bool ParseYesNo(const std::string& text, bool* value);
// Splits `text` at each `separator`, dropping empty pieces.
std::vector<std::string> Split(const std::string& text, char separator);
// "a, b or c".
std::string JoinChoices(const std::vector<std::string>& words);

}  // namespace plat
