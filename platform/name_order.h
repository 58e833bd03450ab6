// The order in which a folder's entries are delivered, the same on every machine and file system.
//
// Names are compared code unit by code unit after the simple upper-case mapping of each unit; names
// that are equal under that mapping are ordered by their raw units, so the order is total. Nothing
// here depends on the operating system: any find-first/find-next service sorts its results with it.
#pragma once

#include <string_view>

namespace platform {

// The Unicode simple upper-case mapping of one UTF-16 code unit; a unit without one, and every
// surrogate (supplementary characters are not mapped), maps to itself.
char16_t UpperUnit(char16_t unit);

// Negative, zero or positive as `a` sorts before, together with, or after `b`. Zero only for equal
// names. A name sorts before every longer name that starts with it.
int CompareNames(std::u16string_view a, std::u16string_view b);

// The enumeration order of whole entries: "." first, ".." second, then every other name by
// CompareNames.
bool EntryNameBefore(std::u16string_view a, std::u16string_view b);

}  // namespace platform
