// The program. The engine is not built yet: say so and exit, so that ./run tells the
// truth about what exists.
#include <cstdio>

int main() {
  std::puts("tavelor2: the foundation is built; the engine that opens the window is not yet.");
  return 0;
}
