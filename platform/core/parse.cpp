// parse.cpp -- numbers, yes/no words and lists, as settings and scripts write them.
#include "parse.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdlib>

namespace plat {

bool ParseNumber(const std::string& text, long long low, long long high, long long* value) {
    const bool negative = !text.empty() && text[0] == '-';
    const std::string digits = text.substr(negative ? 1 : 0);
    const bool hex = digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X');
    const std::string body = hex ? digits.substr(2) : digits;
    const auto isDigit = [hex](unsigned char c) { return hex ? std::isxdigit(c) != 0 : std::isdigit(c) != 0; };
    if (body.empty() || !std::all_of(body.begin(), body.end(), isDigit)) {
        return false;
    }
    errno = 0;
    const unsigned long long magnitude = std::strtoull(body.c_str(), nullptr, hex ? 16 : 10);
    const unsigned long long limit =
        negative ? 1ULL + static_cast<unsigned long long>(LLONG_MAX) : static_cast<unsigned long long>(LLONG_MAX);
    if (errno == ERANGE || magnitude > limit) {
        return false;
    }
    const long long number =
        negative ? static_cast<long long>(0 - magnitude) : static_cast<long long>(magnitude);  // two's complement
    if (number < low || number > high) {
        return false;
    }
    *value = number;
    return true;
}

bool ParseYesNo(const std::string& text, bool* value) {
    std::string word = text;
    std::transform(word.begin(), word.end(), word.begin(), [](unsigned char c) { return std::tolower(c); });
    for (const char* yes : {"yes", "true", "on", "1"}) {
        if (word == yes) {
            *value = true;
            return true;
        }
    }
    for (const char* no : {"no", "false", "off", "0"}) {
        if (word == no) {
            *value = false;
            return true;
        }
    }
    return false;
}

std::vector<std::string> Split(const std::string& text, char separator) {
    std::vector<std::string> pieces;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find(separator, start);
        if (end == std::string::npos) {
            end = text.size();
        }
        if (end > start) {
            pieces.push_back(text.substr(start, end - start));
        }
        start = end + 1;
    }
    return pieces;
}

std::string JoinChoices(const std::vector<std::string>& words) {
    std::string joined;
    for (std::size_t i = 0; i < words.size(); ++i) {
        joined += i == 0 ? "" : i + 1 == words.size() ? " or " : ", ";
        joined += words[i];
    }
    return joined;
}

}  // namespace plat
