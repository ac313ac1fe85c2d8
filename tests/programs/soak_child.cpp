// The smallest process to dump and end in the soak: one thread that sleeps,
// and no library of its own beyond what every program has, so that a dump
// of it is as quick as a dump under Wine can be.
#include <windows.h>

int main() {
  for (;;) Sleep(INFINITE);
}
