// Checking a relay trace against the platform calls a test expects (GoogleTest
// assertions): each call's function, its arguments and its result, in order.
#pragma once
#include "relay.h"

#include <gtest/gtest.h>

#include <stdint.h>
#include <stdlib.h>

#include <map>
#include <string>
#include <vector>

namespace harness {

// One expected platform call.  An argument is a text, a hexadecimal number, "*" for
// anything, or "$name": the value that an earlier call's result bound to that name.
struct ExpectedCall {
    const char* function;
    std::vector<std::string> arguments;
    std::string result;   // "*", a hexadecimal number, or "$name": bind a non-zero result
};

inline void ExpectCalls(const std::vector<RelayCall>& calls, const std::vector<ExpectedCall>& expected)
{
    std::map<std::string, uint32_t> bound;
    ASSERT_GE(calls.size(), expected.size());
    for (size_t i = 0; i < expected.size(); i++) {
        const RelayCall& call = calls[i];
        const ExpectedCall& e = expected[i];
        SCOPED_TRACE("call " + std::to_string(i) + " " + e.function);
        ASSERT_EQ(call.function, e.function);
        ASSERT_EQ(call.arguments.size(), e.arguments.size());
        for (size_t a = 0; a < e.arguments.size(); a++) {
            const std::string& want = e.arguments[a];
            if (want == "*")
                continue;
            if (want[0] == '$') {
                EXPECT_EQ(call.Value(a), bound.at(want)) << "argument " << a << " is not " << want;
            } else if (call.arguments[a].find('"') != std::string::npos) {
                EXPECT_EQ(call.Text(a), want) << "argument " << a;
            } else {
                EXPECT_EQ(call.Value(a), static_cast<uint32_t>(strtoul(want.c_str(), nullptr, 16))) << "argument " << a;
            }
        }
        if (e.result[0] == '$') {
            bound[e.result] = call.Result();
            EXPECT_NE(call.Result(), 0u) << e.result;
        } else if (e.result != "*") {
            EXPECT_EQ(call.Result(), static_cast<uint32_t>(strtoul(e.result.c_str(), nullptr, 16)));
        }
    }
}

}  // namespace harness
