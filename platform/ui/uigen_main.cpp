// Writes the panel and control id header from the panel resource:
//   orivan_uigen <resource dir> <output header>
// The header is rewritten only when its content changes.
#include <cstdio>
#include <fstream>
#include <sstream>

#include "platform/ui/uifile.h"

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: orivan_uigen <resource dir> <output header>\n");
        return 2;
    }
    std::map<int, ui::PanelSpec> panels;
    std::string err;
    if (!ui::ReadResourceDir(argv[1], &panels, &err)) {
        std::fprintf(stderr, "orivan_uigen: %s\n", err.c_str());
        return 1;
    }
    std::string text = ui::PanelIdHeader(panels);
    std::ifstream old(argv[2], std::ios::binary);
    std::ostringstream ss;
    if (old) ss << old.rdbuf();
    if (old && ss.str() == text) return 0;
    std::ofstream out(argv[2], std::ios::binary | std::ios::trunc);
    out << text;
    if (!out) {
        std::fprintf(stderr, "orivan_uigen: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
