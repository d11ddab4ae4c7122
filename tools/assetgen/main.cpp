// assetgen OUTDIR [ICONDIR]: draws the game's whole data tree into OUTDIR,
// and the application icons into ICONDIR when it is given.
//
// The game reads its data from "data" below its working directory, so the
// shipped tree is made with `assetgen data` from the repository root. The
// output depends only on this program and the system's DejaVu fonts: two
// runs give the same bytes.
#include "assets.h"
#include "draw.h"
#include "output.h"

#include <cstdio>

int main(int argc, char **argv) {
    if (argc != 2 && argc != 3) {
        std::fprintf(stderr, "usage: %s OUTDIR [ICONDIR]\n", argv[0]);
        return 2;
    }
    std::string out = argv[1];
    MakeDirs(out);
    WriteBackgrounds(out);
    WriteTitle(out);
    WriteOverlays(out);
    WriteShip(out);
    WriteEnemies(out);
    WriteBosses(out);
    WriteFont(out);
    WriteMusic(out);
    WriteSounds(out);
    WriteLevels(out);
    WriteLicense(out);
    if (argc == 3) {
        WriteIcons(argv[2]);
    }
    return 0;
}
