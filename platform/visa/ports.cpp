// Serial port map.
#include "platform/visa/ports.h"
#include "platform/visa/vendor.h"
#include "platform/state_reset.h"

#include <unistd.h>

#include <charconv>
#include <cstring>
#include <fstream>
#include <map>

namespace visa {
namespace {

std::map<int, std::string> ini_map;
std::map<int, std::string> option_map;
bool ini_loaded = false;

std::string trim(const std::string& s)
{
    size_t a = s.find_first_not_of(" \t\r\n");
    if (a == std::string::npos) return "";
    size_t b = s.find_last_not_of(" \t\r\n");
    return s.substr(a, b - a + 1);
}

// "n=path" with n a port number 1..255.
bool parse_mapping(const std::string& text, int* n, std::string* path)
{
    size_t eq = text.find('=');
    if (eq == std::string::npos) return false;
    std::string num = trim(text.substr(0, eq));
    *path = trim(text.substr(eq + 1));
    if (num.empty() || path->empty()) return false;
    auto r = std::from_chars(num.data(), num.data() + num.size(), *n);
    return r.ec == std::errc() && r.ptr == num.data() + num.size() && *n >= 1 && *n <= 255;
}

void ensure_ini()
{
    if (ini_loaded) return;
    ini_loaded = true;
    std::string dir = ProgramDirectory();
    if (!dir.empty()) LoadPortsIni(dir + "ports.ini");
}

}  // namespace

std::string ProgramDirectory()
{
    char buf[4096];
    ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0) return "";
    std::string p(buf, size_t(n));
    size_t slash = p.rfind('/');
    return slash == std::string::npos ? "" : p.substr(0, slash + 1);
}

std::string SerialDevicePath(int n)
{
    ensure_ini();
    auto it = option_map.find(n);
    if (it != option_map.end()) return it->second;
    it = ini_map.find(n);
    if (it != ini_map.end()) return it->second;
    return "/dev/ttyS" + std::to_string(n - 1);
}

void SetPortMapping(int n, const std::string& path)
{
    if (path.empty()) option_map.erase(n);
    else option_map[n] = path;
}

int LoadPortsIni(const std::string& path)
{
    std::ifstream f(path);
    if (!f) return -1;
    ini_loaded = true;
    int count = 0;
    std::string line;
    while (std::getline(f, line)) {
        size_t c = line.find_first_of("#;");
        if (c != std::string::npos) line.erase(c);
        line = trim(line);
        if (line.empty() || line[0] == '[') continue;
        int n;
        std::string dev;
        if (parse_mapping(line, &n, &dev)) {
            ini_map[n] = dev;
            ++count;
        } else if (line.compare(0, 4, "visa") == 0 && trim(line.substr(4)).compare(0, 1, "=") == 0) {
            std::string lib = trim(trim(line.substr(4)).substr(1));
            if (!lib.empty()) SetVendorVisaLibrary(lib);
        }
    }
    return count;
}

bool ParsePortOptions(int* argc, char** argv, std::string* error)
{
    int out = 1;
    for (int i = 1; i < *argc; ++i) {
        const char* a = argv[i];
        std::string value;
        if (std::strcmp(a, "--port") == 0) {
            if (i + 1 >= *argc) {
                if (error) *error = "--port needs a value n=/dev/...";
                return false;
            }
            value = argv[++i];
        } else if (std::strncmp(a, "--port=", 7) == 0) {
            value = a + 7;
        } else if (std::strcmp(a, "--visa-library") == 0 || std::strncmp(a, "--visa-library=", 15) == 0) {
            std::string lib;
            if (a[14] == '=') lib = a + 15;
            else if (i + 1 < *argc) lib = argv[++i];
            if (lib.empty()) {
                if (error) *error = "--visa-library needs the path of a VISA library";
                return false;
            }
            SetVendorVisaLibrary(lib);
            continue;
        } else {
            argv[out++] = argv[i];
            continue;
        }
        int n;
        std::string dev;
        if (!parse_mapping(value, &n, &dev)) {
            if (error) *error = "malformed --port value \"" + value + "\" (expected n=/dev/...)";
            return false;
        }
        option_map[n] = dev;
    }
    *argc = out;
    argv[out] = nullptr;
    return true;
}

void reset_ports()
{
    SetVendorVisaLibrary("");
    ini_map.clear();
    option_map.clear();
    ini_loaded = false;
}
REGISTER_STATE_RESET(reset_ports);

}  // namespace visa
