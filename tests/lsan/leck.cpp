// Leaks one block of its own and exits: under LeakSanitizer with the project's suppressions the
// leak must still be reported.
#include <cstdio>

namespace {
int* volatile behalten = nullptr;
}

int main() {
  behalten = new int[64];
  behalten[0] = 1;
  behalten = nullptr;
  std::puts("leck");
  return 0;
}
