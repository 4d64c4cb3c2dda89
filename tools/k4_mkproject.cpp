// k4-mkproject DIR [--data] [--text-menu]: writes the sample game into DIR, which must be
// missing or empty. --text-menu makes the variant whose title menu is drawn as text.
#include <cstdio>
#include <cstring>
#include <string>

#include "gen/project.h"

int main(int argc, char** argv) {
    gen::ProjectOptions options;
    const char* dir = nullptr;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--data") == 0) {
            options.data = true;
        } else if (std::strcmp(argv[i], "--text-menu") == 0) {
            options.textMenu = true;
        } else if (!dir && argv[i][0] != '-') {
            dir = argv[i];
        } else {
            dir = nullptr;
            break;
        }
    }
    if (!dir) {
        std::fprintf(stderr, "usage: k4-mkproject DIR [--data] [--text-menu]\n");
        return 2;
    }
    std::string error;
    if (!gen::MakeProject(dir, options, &error)) {
        std::fprintf(stderr, "k4-mkproject: %s\n", error.c_str());
        return 1;
    }
    return 0;
}
