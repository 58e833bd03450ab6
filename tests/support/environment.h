// Setting an environment variable for the rest of a test program, on either system.
#pragma once

#include <cstdlib>

namespace testsupport {

// nullptr removes the variable.
inline void SetEnvironment(const char* name, const char* value) {
#if defined(_WIN32)
  _putenv_s(name, value ? value : "");
#else
  if (value)
    setenv(name, value, 1);
  else
    unsetenv(name);
#endif
}

}  // namespace testsupport
