// quenby: the command-line tool over the core.
#include <cstring>
#include <iostream>

int main(int argc, char** argv) {
  if (argc == 2 && (std::strcmp(argv[1], "--version") == 0)) {
    std::cout << "quenby " << QUENBY_VERSION << "\n";
    return 0;
  }
  std::cerr << "usage: quenby --version\n";
  return argc == 1 ? 0 : 2;
}
