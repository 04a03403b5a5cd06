// Shorthands for the reader's tests.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "xml_parser.h"

namespace tavrin::xml::testing {

inline const std::u16string kError(kErrorText);

// The nth element called name, searched from the beginning of text.
inline std::u16string ElementOf(std::u16string_view text, std::u16string_view name, int32_t n = 1) {
    int32_t position = 0;
    return GetElement(text, name, position, n);
}

inline std::u16string AttributeOf(std::u16string_view text, std::u16string_view element,
                                  std::u16string_view attribute) {
    return GetAttribute(text, element, 1, attribute);
}

}  // namespace tavrin::xml::testing
