// The enumeration's whole answer for a search path, in the order it was delivered, for tests.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/find.h"

namespace platform {

inline std::vector<FindData> ListEntries(const std::u16string& search_path, FindError* error) {
  std::vector<FindData> entries;
  FindData entry;
  FindHandle h = FindFirstFile(search_path, &entry, error);
  if (!h) return entries;
  do entries.push_back(entry);
  while (FindNextFile(h, &entry));
  EXPECT_FALSE(FindNextFile(h, &entry));  // the end stays the end
  FindClose(h);
  return entries;
}

}  // namespace platform
