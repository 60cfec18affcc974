// zel2009: the rural-activity workbook.
#include <cstdio>

int main() {
  std::puts("zel2009: o programa ainda não está disponível nesta versão (not yet built).");
  return 0;
}
