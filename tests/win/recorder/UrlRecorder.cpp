// Stands in for the browser in the dialog tests: registered as the handler of
// the link's URL scheme, it appends the address it was asked to open, one
// line each, to the file named first on its command line.

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 3) {
        return 2;
    }
    std::FILE* file = std::fopen(argv[1], "ab");
    if (file == nullptr) {
        return 1;
    }
    std::fprintf(file, "%s\n", argv[2]);
    std::fclose(file);
    return 0;
}
