// Table-driven registry tests: each case starts and ends on a registry that
// holds none of the keys the removal touches, and is named by its `name`.
#pragma once

#include <gtest/gtest.h>

#include <cctype>
#include <string>

#include "registry_fixture.h"

template <typename Case>
class RegistryParamTest : public ::testing::TestWithParam<Case> {
protected:
    void SetUp() override { fixture::Reset(); }
    void TearDown() override { fixture::Reset(); }
};

// The case's name as a test name: letters and digits kept, the rest '_'.
template <typename Case>
std::string CaseName(const ::testing::TestParamInfo<Case>& info) {
    std::string name;
    for (const char* p = info.param.name; *p; ++p)
        name += isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
    return name;
}
