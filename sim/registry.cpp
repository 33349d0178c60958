// Handler registry.
#include "sim/registry.h"

#include <cctype>

namespace sim {

void Registry::add(const std::string& name, Handler h, int languages)
{
    std::string k;
    for (char c : name) k += char(std::toupper(static_cast<unsigned char>(c)));
    if (!k.empty() && k[0] == ':') k.erase(0, 1);
    entries_[k] = Entry{std::move(h), languages};
}

const Registry::Entry* Registry::find(const Command& c, int language) const
{
    for (const std::string* k : {&c.header, &c.key}) {
        auto it = entries_.find(*k);
        if (it != entries_.end()) return (it->second.languages & language) ? &it->second : nullptr;
    }
    return nullptr;
}

}  // namespace sim
