// Short parameter texts of the simulated bench: "name:key=value,key=value".
// Numbers are read in the C locale.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace simphys {

struct ParamText {
    std::string name;                                        // lower case
    std::vector<std::pair<std::string, std::string>> items;  // keys lower case
};

// Splits "name:k=v,k=v" (a bare "k" reads as "k=1"). False with a message on
// an empty name or an empty key.
bool SplitParams(std::string_view text, ParamText& out, std::string* error);

// Whole-text number in the C locale; false when the text is not a finite number.
bool ParseNumber(std::string_view text, double& value);

// Number formatted in the C locale with up to `digits` significant digits.
std::string FormatNumber(double value, int digits = 6);

// Assigns the numeric items of `p` to the named slots; an unknown key, a
// malformed number or a value outside [lo, hi] gives false with a message.
struct NumSlot {
    const char* key;
    double* value;
    double lo, hi;
};
bool AssignParams(const ParamText& p, const std::vector<NumSlot>& slots, std::string* error);

// One parameter of a model in a catalogue: key, default, range and meaning.
struct ModelParam {
    const char* key;
    double value;
    double lo, hi;
    const char* meaning;
};

// The `--list-eut` text of a catalogue whose entries have `name`, `what`
// and `params` (ModelParam): a line per model, an indented line per parameter.
template <class Catalogue>
std::string ListCatalogue(const Catalogue& models)
{
    std::string t;
    for (const auto& m : models) {
        t += m.name;
        t += "  ";
        t += m.what;
        t += '\n';
        for (const ModelParam& p : m.params) {
            t += "    ";
            t += p.key;
            t += '=';
            t += FormatNumber(p.value);
            t += "  ";
            t += p.meaning;
            t += " (" + FormatNumber(p.lo) + ".." + FormatNumber(p.hi) + ")\n";
        }
    }
    return t;
}

}  // namespace simphys
