// test_names.h -- readable names for the cases of parameterised tests: each case's `name`, with every character a
// test name cannot hold turned into '_'. (Give the case an operator<< too, so that ctest -N prints it, not its bytes.)
#pragma once

#include <gtest/gtest.h>

#include <cctype>
#include <string>

struct ByName {
    template <class Case>
    std::string operator()(const testing::TestParamInfo<Case>& info) const {
        std::string name = info.param.name;
        for (char& c : name) {
            c = std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
        }
        return name;
    }
};
