// Version resources compiled by windres from tests/data/*.rc, built into the test programs.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tavrin::version::testing {

// The resource tests/data/<name>.bin; throws when there is no such fixture.
const std::vector<uint8_t>& Fixture(std::string_view name);
// Every fixture's name.
std::vector<std::string> FixtureNames();

// UTF-16 text as UTF-8, for readable test messages.
std::string Utf8(std::u16string_view text);

}  // namespace tavrin::version::testing
