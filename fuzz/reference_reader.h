// A deliberately naive second reading of the reader's algorithms, to compare the real one with:
// recursion instead of an explicit stack, no remembered answers, no combined or bounded searches,
// one separate search for every step, written out plainly, and failures raised and trapped per
// operation. It takes exponential time on some inputs, so every call has a step budget; when the
// budget runs out the answer is "unknown" (std::nullopt) and the caller skips the comparison.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "xml_parser.h"

namespace tavrin::xml::reference {

inline constexpr int64_t kDefaultBudget = 4'000'000;

struct ElementResult {
    std::u16string value;  // element text or kErrorText
    int32_t position = 0;  // the carried position afterwards
};

std::optional<ElementResult> GetElement(std::u16string_view text, std::u16string_view name, int32_t position, int32_t n,
                                        int64_t budget = kDefaultBudget);

std::optional<std::u16string> GetAttribute(std::u16string_view text, std::u16string_view elementName, int32_t n,
                                           std::u16string_view attributeName, int64_t budget = kDefaultBudget);

std::optional<ElementSpan> SkipElement(std::u16string_view text, int32_t from, int32_t limit,
                                       int64_t budget = kDefaultBudget);

}  // namespace tavrin::xml::reference
