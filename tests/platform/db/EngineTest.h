#pragma once

// Dataset tests that run on every engine: a fixture parameterised by the engine's name.

#include "PeopleDatabase.h"
#include "PostgresTestServer.h"

#include <gtest/gtest.h>

// Runs each test on every engine the parameter names.
class EngineTest : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override {
        if (Engine() == QLatin1String(PostgresEngine)) {
            SKIP_OR_FAIL_WITHOUT_POSTGRES();
        }
    }
    QString Engine() const { return QString::fromLatin1(GetParam()); }
};

#define ON_EVERY_ENGINE(Suite) ON_EVERY_ENGINE_WITH(Suite, EngineTest)
#define ON_EVERY_ENGINE_WITH(Suite, Fixture)                                                       \
    using Suite = Fixture;                                                                         \
    INSTANTIATE_TEST_SUITE_P(                                                                      \
        Engines, Suite, ::testing::Values(SqliteEngine, PostgresEngine),                           \
        [](const ::testing::TestParamInfo<const char*>& info) { return std::string(info.param); })
