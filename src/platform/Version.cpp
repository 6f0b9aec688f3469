#include "platform/Version.h"

namespace quenby {

// The build defines QUENBY_VERSION as "a.b.c" or "a.b.c.d"; missing parts
// are 0, so the text always has four numbers.
std::string ProgramVersion() {
  std::string version = QUENBY_VERSION;
  int parts = 1;
  for (const char c : version) parts += c == '.';
  for (; parts < 4; ++parts) version += ".0";
  return version;
}

}  // namespace quenby
