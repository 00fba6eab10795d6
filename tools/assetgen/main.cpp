// main.cpp - the assetgen command: `assetgen OUTDIR` writes OUTDIR/data/...;
// `assetgen --contact-sheet OUTDIR` also writes the contact sheets and scene mock-ups
// to OUTDIR/contact/. Exits 1 on any failure.
#include <cstdio>
#include <cstring>
#include <string>

#include "tools/assetgen/assets.h"

int main(int argc, char** argv) {
    bool contact = false;
    const char* out = nullptr;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--contact-sheet") == 0)
            contact = true;
        else if (!out)
            out = argv[i];
        else {
            out = nullptr;
            break;
        }
    }
    if (!out) {
        std::fprintf(stderr, "usage: assetgen [--contact-sheet] OUTDIR\n");
        return 2;
    }
    return assetgen::GenerateAll(out, contact) ? 0 : 1;
}
