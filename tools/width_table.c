// Writes runtime/width_table.inc: the code points whose display width is
// not 1, as the C library's wcwidth() gives them in the C.UTF-8 locale.
//   gcc -O2 tools/width_table.c -o /tmp/width_table && /tmp/width_table > runtime/width_table.inc
#define _XOPEN_SOURCE 700
#include <locale.h>
#include <stdio.h>
#include <wchar.h>
int main(void) {
  if (!setlocale(LC_CTYPE, "C.UTF-8")) return 1;
  int start = -1, width = 1;
  for (int c = 0; c <= 0x110000; ++c) {
    int w = c < 0x110000 ? wcwidth((wchar_t)c) : 1;
    if (c < 0x110000 && (c < 0xA0 || (c >= 0xD800 && c < 0xE000)))
      w = 1; /* controls and surrogates are shown as U+FFFD */
    if (w < 0) w = 1;
    if (w != width || c == 0x110000) {
      if (width != 1) printf("    {0x%05X, 0x%05X, %d},\n", start, c - 1, width);
      start = c;
      width = w;
    }
  }
  return 0;
}
