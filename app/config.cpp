#include "app/config.h"

#include "platform/fmt.h"
#include "platform/lowfile.h"
#include "state/old_para.h"
#include "state/reset.h"
#include "state/workmode.h"

#include <cstdio>
#include <cstring>

namespace {

ConfigMessageHandler g_handler;
std::string g_last_message;

void Message(const std::string& text)
{
    g_last_message = text;
    if (g_handler) g_handler("Error", text.c_str());
    else std::fprintf(stderr, "%s\n", text.c_str());
}

// Reads exactly `size` bytes of `path`; CFG_* result, message on failure.
int ReadBlock(const char* path, void* dest, size_t size)
{
    std::string name = path ? path : "";
    int h = name.empty() ? -1 : OpenFile(name.c_str(), VAL_READ_ONLY, VAL_OPEN_AS_IS, VAL_BINARY);
    if (h < 0) {
        Message("The configuration file " + name + " cannot be opened.");
        return CFG_ERR_OPEN;
    }
    long long n = ReadFile(h, dest, (long long)size);
    CloseFile(h);
    if (n < 0) {
        Message("The configuration file " + name + " cannot be read.");
        return CFG_ERR_READ;
    }
    if (n < (long long)size) {
        std::string text;
        Fmt(text, "%s<The file %s is not a configuration file: it holds %i bytes, a configuration holds %i.",
            name, (long long)n, (long long)size);
        Message(text);
        return CFG_ERR_SHORT;
    }
    return CFG_OK;
}

}  // namespace

void SetConfigMessageHandler(ConfigMessageHandler handler) { g_handler = std::move(handler); }

const std::string& LastConfigMessage() { return g_last_message; }

void reset_config_state()
{
    g_handler = nullptr;
    g_last_message.clear();
}
REGISTER_STATE_RESET(reset_config_state);

int WriteConfigFile(const char* path, const Para& record)
{
    std::string name = path ? path : "";
    int h = name.empty() ? -1 : OpenFile(name.c_str(), VAL_WRITE_ONLY, VAL_TRUNCATE, VAL_BINARY);
    if (h < 0) {
        Message("The configuration file " + name + " cannot be created.");
        return CFG_ERR_WRITE;
    }
    unsigned char bytes[PARA_SIZE];
    std::memcpy(bytes, &record, PARA_SIZE);
    bool ok = WriteFile(h, bytes, (long long)PARA_SIZE) == (long long)PARA_SIZE;
    ok = (CloseFile(h) == 0) && ok;
    if (!ok) {
        Message("The configuration file " + name + " cannot be written (disk full?).");
        return CFG_ERR_WRITE;
    }
    return CFG_OK;
}

int ReadConfigFile(const char* path, Para& record)
{
    unsigned char bytes[PARA_SIZE];
    int r = ReadBlock(path, bytes, PARA_SIZE);
    if (r != CFG_OK) return r;
    std::memcpy(&record, bytes, PARA_SIZE);
    TerminateTexts(record);
    return CFG_OK;
}

int SaveConfigurationTo(const char* path)
{
    return WriteConfigFile(path, para) == CFG_OK ? 1 : -1;
}

int LoadConfigurationFrom(const char* path)
{
    if (ReadConfigFile(path, para) != CFG_OK) return -1;
    workmode = 2;
    return 1;
}

std::string DefaultConfigPath() { return ProjectFile("default.cfg"); }

void LoadDefaultConfig()
{
    std::string path = DefaultConfigPath();
    if (!FileExists(path.c_str(), nullptr)) return;
    ReadConfigFile(path.c_str(), para);
}

void SaveDefaultConfig()
{
    std::string path = DefaultConfigPath();
    if (!FileExists(path.c_str(), nullptr)) return;
    WriteConfigFile(path.c_str(), para);
}

int ReadOldParameter(int fileHandle)
{
    unsigned char block[OLD_PARA_SIZE];
    long long n = ReadFile(fileHandle, block, (long long)OLD_PARA_SIZE);
    if (n < 0) return CFG_ERR_READ;
    if (n < (long long)OLD_PARA_SIZE) return CFG_ERR_SHORT;
    MapOldParameter(block, para);
    return CFG_OK;
}
