#pragma once

#include <gtest/gtest.h>

#include <ostream>
#include <string>

namespace named {

// A row of a table of test cases, shown by its name in test listings
// instead of as raw bytes.
struct Case {
    const char* name;
};

inline std::ostream& operator<<(std::ostream& os, const Case& c)
{
    return os << c.name;
}

// Names each instantiated test after its case.
struct ByName {
    template <typename Param>
    std::string operator()(const testing::TestParamInfo<Param>& info) const
    {
        return info.param.name;
    }
};

}  // namespace named
